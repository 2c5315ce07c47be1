#include "desktop.h"

#include <emscripten/bind.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>
#include <utility>

using emscripten::val;

namespace rtweb {
namespace {

// Controls take their places from rt::Layout, so every view inside a window
// or a frame is placed absolutely. A frame is a fieldset without the
// browser's own border and legend placement (which would move its contents
// by the legend's height): its line runs through the middle of its caption
// row, as on the desktop, and the legend masks it.
constexpr char kStyleSheet[] = R"css(
:root { color-scheme: light dark; }
body { margin: 0; background: Canvas; color: CanvasText; }
.nw-window { font: 10pt system-ui, sans-serif; }
main.nw-window { width: fit-content; margin: 1.5em auto; }
dialog.nw-window { position: fixed; inset: 0; margin: auto; width: fit-content; height: fit-content;
  padding: 0.75em; border: 1px solid GrayText; background: Canvas; color: CanvasText; }
.nw-window h1, .nw-window h2 { font: inherit; font-weight: bold; margin: 0 0 0.5em; }
.nw-client { position: relative; }
.nw-client > *, .nw-frame > * { position: absolute; box-sizing: border-box; margin: 0; }
.nw-frame { border: 0; padding: 0; min-inline-size: 0; }
.nw-frame::before { content: ""; position: absolute; inset: calc(var(--nw-caption) / 2) 0 0 0;
  border: 1px solid GrayText; border-radius: 3px; pointer-events: none; }
.nw-frame > legend { left: 6px; top: 0; padding: 0 3px; background: Canvas; white-space: pre;
  line-height: var(--nw-caption); }
.nw-field, .nw-button { font: inherit; }
.nw-field { padding: 0 4px; }
.nw-status { display: flex; align-items: center; padding: 0 4px; border: 1px solid GrayText;
  overflow: hidden; white-space: pre; }
.nw-label { white-space: pre; }
.nw-probe { position: absolute; visibility: hidden; white-space: pre; }
.nw-ended { text-align: center; margin: 1.5em; }
@media (forced-colors: active) { .nw-frame::before, .nw-status { border-color: CanvasText; } }
)css";

// Every listener's handler by its id. The page's listeners call deliver()
// with that id, so an event for a listener that has gone finds nothing.
std::unordered_map<int, Listener::Handler>& handlers()
{
    static std::unordered_map<int, Listener::Handler> map;
    return map;
}

void deliver(int id, val event)
{
    const auto it = handlers().find(id);
    if (it == handlers().end())
        return;
    // A copy: the handler may end its own listener.
    const Listener::Handler handler = it->second;
    handler(event["type"].as<std::string>(), event);
}

EMSCRIPTEN_BINDINGS(rtweb_events) { emscripten::function("rtwebDeliver", &deliver); }

} // namespace

Listener::Listener(const val& target, const char* types, Handler handler)
{
    static int lastId = 0;
    id_ = ++lastId;
    handlers().emplace(id_, std::move(handler));
    const val listener =
        val::module_property("rtwebDeliver").call<val>("bind", val::null(), val(id_));
    std::string all(types);
    for (std::size_t start = 0; start < all.size();) {
        const std::size_t end = std::min(all.find(' ', start), all.size());
        target.call<void>("addEventListener", val(all.substr(start, end - start)), listener);
        start = end + 1;
    }
}

Listener::Listener(Listener&& other) noexcept : id_(std::exchange(other.id_, 0)) {}

Listener& Listener::operator=(Listener&& other) noexcept
{
    if (this != &other) {
        stop();
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

void Listener::stop()
{
    if (id_)
        handlers().erase(std::exchange(id_, 0));
}

val document() { return val::global("document"); }

val element(const char* tag, const char* className)
{
    val e = document().call<val>("createElement", val(tag));
    if (*className)
        e.set("className", val(className));
    return e;
}

void applyFont(const val& element, const rt::Font& font)
{
    val style = element["style"];
    style.set("fontFamily", font.face == rt::Font::Face::SansSerif ? "sans-serif" : "");
    style.set("fontSize", font.pointSize > 0 ? std::to_string(font.pointSize) + "pt" : "");
    style.set("fontWeight", font.bold ? "bold" : "");
}

TextMeasure::TextMeasure() : probe_(element("span", "nw-window nw-probe"))
{
    document()["body"].call<void>("append", probe_);
}

TextMeasure::~TextMeasure() { probe_.call<void>("remove"); }

int TextMeasure::lineHeight(const rt::Font& font)
{
    auto [it, added] = heights_.try_emplace({font.face, font.pointSize, font.bold}, 0);
    if (added) {
        applyFont(probe_, font);
        probe_.set("textContent", val("Xg"));
        it->second = static_cast<int>(
            std::ceil(probe_.call<val>("getBoundingClientRect")["height"].as<double>()));
    }
    return it->second;
}

int TextMeasure::textWidth(const rt::Font& font, const val& text)
{
    applyFont(probe_, font);
    probe_.set("textContent", text);
    return static_cast<int>(
        std::ceil(probe_.call<val>("getBoundingClientRect")["width"].as<double>()));
}

val programIcon()
{
    const val link = document().call<val>("querySelector", val("link[rel~=icon]"));
    return link.isNull() ? val::undefined() : link["href"];
}

void installStyleSheet()
{
    val doc = document();
    if (!doc.call<val>("getElementById", val("nw-style")).isNull())
        return;
    val style = element("style", "");
    style.set("id", val("nw-style"));
    style.set("textContent", val(kStyleSheet));
    doc["head"].call<void>("append", style);
}

} // namespace rtweb
