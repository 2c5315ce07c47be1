#include "formwindow.h"

#include <emscripten/eventloop.h>

#include <algorithm>
#include <climits>
#include <string>
#include <utility>
#include <vector>

using emscripten::val;

namespace rtweb {
namespace {

std::string px(int pixels) { return std::to_string(pixels) + "px"; }

// Where a control goes among its siblings in the page, whose order Tab and
// screen readers follow: by its tab index, or a frame by that of the first
// control in it that takes the focus, so the page's order is the tab order.
int pageOrder(const rt::Form& form, const rt::Control& control)
{
    int order = INT_MAX;
    for (const rt::Control* c : form.controls())
        if (c->container() == &control && c->canFocus())
            order = std::min(order, c->tabIndex());
    return order != INT_MAX ? order : control.tabIndex() < 0 ? INT_MAX : control.tabIndex();
}

void tick(void* timer)
{
    static_cast<rt::Timer*>(timer)->tick();
    View::showChanges();
}

} // namespace

FormWindow::FormWindow(rt::Form& form, Kind kind)
    : form_(form), kind_(kind), root_(element(kind == Kind::Main ? "main" : "dialog", "nw-window")),
      metrics_{[this](const rt::Frame&) { return measure_.lineHeight({}); },
               [this](const rt::Label& label) {
                   return measure_.textWidth(label.font(), toUtf16(label.caption()));
               },
               [this](const rt::Label& label) { return measure_.lineHeight(label.font()); }}
{
    const std::string headingId = "nw-" + form.name();
    val heading = element(kind == Kind::Main ? "h1" : "h2", "");
    heading.set("id", headingId);
    heading.set("textContent", toUtf16(form.caption()));
    root_.call<void>("setAttribute", val("aria-labelledby"), val(headingId));
    val client = element("div", "nw-client");
    root_.call<void>("append", heading, client);
    root_.set("hidden", true);

    // Built and placed outside the page, which then takes it in one step.
    addViews(client, nullptr);
    layout_ = std::make_unique<rt::Layout>(form, kDpi, metrics_);
    client["style"].set("width", px(layout_->clientWidth()));
    client["style"].set("height", px(layout_->clientHeight()));
    const Placement placement{*layout_, metrics_};
    for (const auto& view : views_)
        view->place(placement);
    document()["body"].call<void>("append", root_);

    activation_ =
        Listener(root_, "focusin mousedown", [this](const std::string& type, const val& event) {
            if (!closed_)
                activate(type, event);
            View::showChanges();
        });
}

FormWindow::~FormWindow() { close(); }

void FormWindow::addViews(const val& parent, const rt::Control* container)
{
    std::vector<rt::Control*> inside;
    for (rt::Control* c : form_.controls())
        if (c->container() == container)
            inside.push_back(c);
    std::stable_sort(inside.begin(), inside.end(),
                     [this](const rt::Control* a, const rt::Control* b) {
                         return pageOrder(form_, *a) < pageOrder(form_, *b);
                     });
    for (rt::Control* c : inside) {
        if (auto view = makeView(*c, parent)) {
            const val holder = view->handle();
            views_.push_back(std::move(view));
            addViews(holder, c);
        } else if (c->kind() == rt::Control::Kind::Timer) {
            timers_.emplace(static_cast<rt::Timer*>(c), 0);
        }
    }
}

val FormWindow::control(const rt::Control& control) const
{
    for (const auto& view : views_)
        if (&view->model() == &control)
            return view->handle();
    return val::null();
}

void FormWindow::show()
{
    View::showChanges();
    root_.set("hidden", false);
    if (kind_ == Kind::Main)
        document().set("title", toUtf16(form_.caption()));
    else if (!root_["open"].as<bool>())
        root_.call<void>("show"); // non-modal: the converter stays usable
    if (const rt::Control* focused = form_.focused())
        focusView(*focused);
}

void FormWindow::focus(const rt::Control& control)
{
    // An inactive window takes it up when it is next activated.
    if (hasFocus())
        focusView(control);
}

bool FormWindow::hasFocus() const
{
    return root_.call<bool>("contains", document()["activeElement"]);
}

void FormWindow::focusView(const rt::Control& control)
{
    const val element = this->control(control);
    if (!element.isNull())
        element.call<void>("focus");
}

void FormWindow::activate(const std::string& type, const val& event)
{
    // A click outside the controls leaves the focus where the window had it,
    // as a desktop window does when it is activated.
    if (type == "mousedown" &&
        event["target"].call<val>("closest", val("input, button")).isNull()) {
        event.call<void>("preventDefault");
        if (const rt::Control* focused = form_.focused())
            focusView(*focused);
    }
    form_.userActivate();
}

void FormWindow::timerChanged(rt::Timer& timer)
{
    const auto it = timers_.find(&timer);
    if (it == timers_.end())
        return;
    // Enabling a running timer again restarts its period.
    if (it->second)
        emscripten_clear_interval(std::exchange(it->second, 0));
    if (timer.running() && !closed_)
        it->second = emscripten_set_interval(tick, timer.interval(), &timer);
}

void FormWindow::close()
{
    if (closed_)
        return;
    closed_ = true;
    for (auto& [timer, id] : timers_)
        if (id)
            emscripten_clear_interval(std::exchange(id, 0));
    for (const auto& view : views_)
        view->detach();
    activation_.stop();
    if (kind_ == Kind::Dialog && root_["open"].as<bool>())
        root_.call<void>("close");
    root_.call<void>("remove");
}

} // namespace rtweb
