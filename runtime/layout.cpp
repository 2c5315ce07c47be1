#include "layout.h"

#include <algorithm>

namespace rt {

int toPixels(int twips, int dpi)
{
    const long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

Layout::Layout(const Form& form, int dpi, TextMetrics metrics)
    : metrics_(std::move(metrics)), clientWidth_(toPixels(form.clientWidth(), dpi)),
      clientHeight_(toPixels(form.clientHeight(), dpi))
{
    for (const Control* c : form.controls()) {
        const Rect& r = c->geometry();
        rects_[c] = {toPixels(r.left, dpi), toPixels(r.top, dpi), toPixels(r.width, dpi),
                     toPixels(r.height, dpi)};
    }

    // How far each frame's caption row grows, and everything inside it with it.
    std::map<const Control*, int> growth;
    for (const Control* c : form.controls()) {
        if (c->kind() != Control::Kind::Frame)
            continue;
        int contentTop = rects_[c].height;
        for (const Control* inner : form.controls())
            if (inner->container() == c)
                contentTop = std::min(contentTop, rects_[inner].top);
        const int grow =
            std::max(0, metrics_.captionHeight(static_cast<const Frame&>(*c)) - contentTop);
        if (grow == 0)
            continue;
        growth[c] = grow;
        rects_[c].height += grow;
        for (const Control* inner : form.controls())
            if (inner->container() == c)
                rects_[inner].top += grow;
    }
    if (growth.empty())
        return;

    // A window-level control moves down by the most that any frame above it
    // grew, counting how far that frame itself moved: rows stack.
    std::vector<const Control*> byTop;
    for (const Control* c : form.controls())
        if (!c->container() && c->kind() != Control::Kind::Timer)
            byTop.push_back(c);
    std::stable_sort(byTop.begin(), byTop.end(), [](const Control* a, const Control* b) {
        return a->geometry().top < b->geometry().top;
    });
    std::map<const Control*, int> shift;
    int bottomShift = 0;
    for (const Control* c : byTop) {
        int s = 0;
        for (const auto& [frame, grow] : growth)
            if (frame != c && frame->geometry().top + frame->geometry().height <= c->geometry().top)
                s = std::max(s, shift[frame] + grow);
        shift[c] = s;
        rects_[c].top += s;
        bottomShift = std::max(bottomShift, s + (growth.count(c) ? growth[c] : 0));
    }
    clientHeight_ += bottomShift;
}

PixelRect Layout::rect(const Control& control) const
{
    PixelRect r = rects_.at(&control);
    if (control.kind() != Control::Kind::Label)
        return r;
    const auto& label = static_cast<const Label&>(control);
    r.width = std::max(r.width, metrics_.captionWidth(label));
    r.height = std::max(r.height, metrics_.labelHeight(label));
    return r;
}

PixelRect Layout::inWindow(const Control& control) const
{
    PixelRect r = rect(control);
    for (const Control* c = control.container(); c; c = c->container()) {
        const PixelRect outer = rect(*c);
        r.left += outer.left;
        r.top += outer.top;
    }
    return r;
}

} // namespace rt
