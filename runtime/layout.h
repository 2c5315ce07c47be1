// Where a window's controls go, in pixels at a given DPI. Positions and sizes
// are the model's twips, each converted once; text moves them only where a
// caption would otherwise be cut: a frame's caption row grows with its font,
// pushing what lies below it down, and a label grows to the right to show
// its whole caption, and down when its font is taller than its box. Both
// bindings place their controls from here.
#pragma once

#include "forms.h"

#include <functional>
#include <map>

namespace rt {

struct PixelRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const PixelRect&) const = default;
};

// twips * dpi / 1440, rounded to the nearest pixel.
int toPixels(int twips, int dpi);

// What a binding measures in its own fonts, in pixels at the layout's DPI.
struct TextMetrics {
    std::function<int(const Frame&)> captionHeight; // the caption row's height
    std::function<int(const Label&)> captionWidth;  // the caption's width
    std::function<int(const Label&)> labelHeight;   // a line of the label's font
};

class Layout {
public:
    Layout(const Form& form, int dpi, TextMetrics metrics);

    int clientWidth() const { return clientWidth_; }
    int clientHeight() const { return clientHeight_; }
    PixelRect rect(const Control& control) const;     // in its container
    PixelRect inWindow(const Control& control) const; // in the window's client area

private:
    TextMetrics metrics_;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    std::map<const Control*, PixelRect> rects_;
};

} // namespace rt
