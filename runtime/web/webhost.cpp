#include "webhost.h"

#include "desktop.h"
#include "formwindow.h"
#include "views.h"

#include <emscripten/emscripten.h>
#include <emscripten/eventloop.h>

#include <utility>

// A page cannot block its thread, so exec() waits on a promise that quit()
// resolves; the wait unwinds to the browser and resumes where it left off
// (Asyncify, for the functions listed in CMakeLists.txt).
EM_ASYNC_JS(void, waitForQuit, (),
            { await new Promise(function(resolve) { Module.rtwebQuit = resolve; }); });

EM_JS(void, resumeFromQuit, (), {
    const resolve = Module.rtwebQuit;
    Module.rtwebQuit = null;
    if (resolve)
        resolve();
});

using emscripten::val;

namespace rtweb {
namespace {

constexpr char kNoticeId[] = "nw-ended";

// Where the page says that the program has ended, and why if an error ended it.
val notice()
{
    val section = document().call<val>("getElementById", val(kNoticeId));
    if (section.isNull()) {
        section = element("section", "nw-ended");
        section.set("id", kNoticeId);
        document()["body"].call<void>("append", section);
    }
    return section;
}

val paragraph(const std::string& text, const char* role)
{
    val p = element("p", "");
    p.call<void>("setAttribute", val("role"), val(role));
    p.set("textContent", text);
    return p;
}

} // namespace

WebHost::WebHost() = default;

WebHost::~WebHost()
{
    if (collecting_)
        emscripten_clear_timeout(collecting_);
}

FormWindow* WebHost::find(const rt::Form& form) const
{
    const auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : it->second.get();
}

void WebHost::formLoaded(rt::Form& form)
{
    // A page has one main region: the program's first window.
    const auto kind = mainShown_ ? FormWindow::Kind::Dialog : FormWindow::Kind::Main;
    mainShown_ = true;
    windows_[&form] = std::make_unique<FormWindow>(form, kind);
}

void WebHost::formShown(rt::Form& form)
{
    if (FormWindow* w = find(form))
        w->show();
}

void WebHost::formUnloaded(rt::Form& form)
{
    const auto it = windows_.find(&form);
    if (it == windows_.end())
        return;
    auto window = std::move(it->second);
    windows_.erase(it);
    const bool hadFocus = window->hasFocus();
    window->close();
    closing_.push_back(std::move(window));
    if (!collecting_)
        collecting_ = emscripten_set_timeout(&WebHost::collect, 0, this);
    // The focus goes back to a window still open, as the desktop activates
    // the next window, rather than to the page.
    if (hadFocus && !windows_.empty())
        windows_.begin()->second->show();
}

void WebHost::collect(void* host)
{
    auto* self = static_cast<WebHost*>(host);
    self->collecting_ = 0;
    self->closing_.clear();
}

void WebHost::focusMoved(rt::Control& control)
{
    if (FormWindow* w = find(control.form()))
        w->focus(control);
}

void WebHost::timerChanged(rt::Timer& timer)
{
    if (FormWindow* w = find(timer.form()))
        w->timerChanged(timer);
}

void WebHost::exec()
{
    if (!quit_)
        waitForQuit();
}

void WebHost::quit()
{
    quit_ = true;
    resumeFromQuit();
}

void WebHost::reportError(const std::string& title, const std::string& message)
{
    if (errorBoxes_)
        notice().call<void>("append", paragraph(title + ": " + message, "alert"));
}

val WebHost::window(const rt::Form& form) const
{
    const FormWindow* w = find(form);
    return w ? w->handle() : val::null();
}

val WebHost::control(const rt::Control& control) const
{
    const FormWindow* w = find(control.form());
    return w ? w->control(control) : val::null();
}

int run(const rt::Product& product, const std::function<rt::Form&(rt::Application&)>& startup)
{
    // Started again from the notice of an earlier run: the notice goes.
    notice().call<void>("remove");
    installStyleSheet();
    int code = 0;
    {
        WebHost host;
        code = rt::run(host, product, startup);
    }
    // A page cannot close the tab the user opened: it says that the program
    // has ended, and offers to start it again.
    val again = element("button", "");
    again.set("type", "button");
    again.set("textContent", "Start again");
    again.call<void>("addEventListener", val("click"),
                     val::module_property("callMain").call<val>("bind", val::null(), val::array()));
    val line = paragraph(product.name + " has ended. ", "status");
    line.call<void>("append", again);
    notice().call<void>("append", line);
    again.call<void>("focus");
    return code;
}

} // namespace rtweb
