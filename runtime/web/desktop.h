// What the binding takes from the browser it runs in: the page's document,
// the system UI font and text measured in it, the program's icon (the page's
// favicon), the pixel density layouts are made at, and the style sheet every
// window shares, added once before the first window.
#pragma once

#include "forms.h"

#include <emscripten/val.h>

#include <functional>
#include <map>
#include <string>
#include <tuple>

namespace rtweb {

// Layouts are in CSS pixels: the browser scales those with its zoom and the
// screen, text included.
constexpr int kDpi = 96;

emscripten::val document();
// A new element, not yet in the page.
emscripten::val element(const char* tag, const char* className);

// The model's font on an element; the default face is the window's, the
// system UI font.
void applyFont(const emscripten::val& element, const rt::Font& font);

// Text measured in the windows' fonts, by a hidden probe in the page.
class TextMeasure {
public:
    TextMeasure();
    ~TextMeasure();
    TextMeasure(const TextMeasure&) = delete;
    TextMeasure& operator=(const TextMeasure&) = delete;

    int lineHeight(const rt::Font& font); // remembered: each costs the page a layout
    int textWidth(const rt::Font& font, const emscripten::val& text);

private:
    emscripten::val probe_;
    std::map<std::tuple<rt::Font::Face, double, bool>, int> heights_;
};

// Events of `types` (space-separated) on a page element, handed to a
// handler for as long as the listener lives. The handler may end its own
// listener.
class Listener {
public:
    using Handler = std::function<void(const std::string& type, const emscripten::val& event)>;

    Listener() = default;
    Listener(const emscripten::val& target, const char* types, Handler handler);
    ~Listener() { stop(); }
    Listener(Listener&& other) noexcept;
    Listener& operator=(Listener&& other) noexcept;

    void stop(); // no event reaches the handler any more

private:
    int id_ = 0;
};

// The program's icon: the URL of the page's favicon, or undefined.
emscripten::val programIcon();

// The windows' style sheet: system font and colours, light and dark, forced
// colours. Added to the page once; later calls do nothing.
void installStyleSheet();

} // namespace rtweb
