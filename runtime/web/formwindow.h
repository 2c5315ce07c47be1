// The top-level window of one loaded form: the page's main region for the
// program's first window, a non-modal <dialog> for every later one. Headed
// by the form's caption, it holds one view per control, in tab order, placed
// by rt::Layout in CSS pixels. Focus or a click inside it activates the form;
// it runs the form's timers on the browser's.
#pragma once

#include "desktop.h"
#include "forms.h"
#include "layout.h"
#include "views.h"

#include <emscripten/val.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace rtweb {

class FormWindow {
public:
    enum class Kind { Main, Dialog };

    FormWindow(rt::Form& form, Kind kind);
    ~FormWindow();
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    emscripten::val handle() const { return root_; }
    emscripten::val control(const rt::Control& control) const;

    void show();
    void focus(const rt::Control& control);
    void timerChanged(rt::Timer& timer);
    // The model has unloaded the form: cut the views from it and take the
    // window out of the page. The host destroys it once the event that
    // unloaded it is over.
    void close();
    bool hasFocus() const;

private:
    void addViews(const emscripten::val& parent, const rt::Control* container);
    void activate(const std::string& type, const emscripten::val& event);
    void focusView(const rt::Control& control);

    rt::Form& form_;
    Kind kind_;
    emscripten::val root_;
    TextMeasure measure_;
    rt::TextMetrics metrics_;
    std::unique_ptr<rt::Layout> layout_;
    std::vector<std::unique_ptr<View>> views_;
    std::map<rt::Timer*, long> timers_; // the browser's interval ids
    Listener activation_;
    bool closed_ = false;
};

} // namespace rtweb
