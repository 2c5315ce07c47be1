// One view per model control: a plain page element (an <input> in a
// <fieldset> named by its <legend>, a <button>, a role="status" line, text,
// an <img>) that shows the model and hands the user's input to it, so the
// browser gives names, focus order and announcements. No element edits its
// own text: each edit is cancelled and fed to the model, whose text and
// selection are then shown.
#pragma once

#include "desktop.h"
#include "forms.h"
#include "layout.h"

#include <emscripten/val.h>

#include <memory>

namespace rtweb {

// Field text to the page's strings and back, through the runtime's rules.
emscripten::val toDisplay(const rt::Text& text);
emscripten::val toUtf16(const rt::Text& text);
rt::Text fromUtf16(const emscripten::val& text);

// What a window hands its views when it lays them out.
struct Placement {
    const rt::Layout& layout;
    const rt::TextMetrics& metrics;
};

class View : public rt::ControlView {
public:
    View(rt::Control& model, emscripten::val element, const emscripten::val& parent);
    ~View() override;
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    rt::Control& model() const { return model_; }
    emscripten::val handle() const { return element_; }

    // Its place and size in its container, from the window's layout.
    virtual void place(const Placement& placement);
    // The model is going: from now on the element only behaves as itself.
    void detach();

    // A model changes many times in one event (a keystroke's cascade writes
    // and selects each field again and again); each view shows it once, at
    // the end of the event, from here.
    static void showChanges();

protected:
    // The element's events of `types` (space-separated) reach event() while
    // the view is attached; the changes they make are shown after each.
    void listen(const char* types);
    virtual void event(const std::string&, const emscripten::val&) {}
    // Shows the model again, whole.
    virtual void show() {}
    bool changed() const { return changed_; }

private:
    void modelChanged() final;

    rt::Control& model_;
    emscripten::val element_;
    Listener listener_;
    bool attached_ = true;
    bool changed_ = false;
};

// The view for a model control, appended to `parent`; nullptr for a control
// nothing shows (a timer).
std::unique_ptr<View> makeView(rt::Control& control, const emscripten::val& parent);

} // namespace rtweb
