// Binds the forms runtime to Win32: each loaded window becomes a top-level
// window of standard controls (formwindow.h, views.h) that show the model and
// hand the user's input to it. Text, layout and start-up rules come from the
// runtime; this binding only does what Windows needs.
#pragma once

#include "forms.h"
#include "program.h"

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace rtwin {

class FormWindow;

class Win32Host : public rt::Host {
public:
    Win32Host();
    ~Win32Host() override;
    Win32Host(const Win32Host&) = delete;
    Win32Host& operator=(const Win32Host&) = delete;

    // The message loop, and the end of it.
    void exec() override;
    void quit() override;
    void reportError(const std::string& title, const std::string& message) override;
    // The windows and what is in them.
    void formLoaded(rt::Form& form) override;
    void formShown(rt::Form& form) override;
    void formUnloaded(rt::Form& form) override;
    void focusMoved(rt::Control& control) override;
    void timerChanged(rt::Timer& timer) override;

    // One message of the event loop: dialog navigation (Tab, Enter, Escape)
    // for the program's windows, then the usual translation and dispatch.
    void process(MSG& msg);

    // Off for tests: an error is then only printed, never shown in a modal box.
    void setErrorBoxes(bool on) { errorBoxes_ = on; }
    // The top-level window of a loaded form, or nullptr.
    HWND window(const rt::Form& form) const;
    // The control that shows a control of a loaded form, or nullptr.
    HWND control(const rt::Control& control) const;

private:
    FormWindow* find(const rt::Form& form) const;

    std::map<const rt::Form*, std::unique_ptr<FormWindow>> windows_;
    std::vector<std::unique_ptr<FormWindow>>
        closing_; // unloaded, destroyed when their messages end
    bool errorBoxes_ = true;
    bool running_ = false;
    bool quit_ = false;
};

// Runs the program with the start-up window `startup` makes and returns its
// exit code; the process settings of desktop.h are made first.
int run(const rt::Product& product, const std::function<rt::Form&(rt::Application&)>& startup);

template <class F> int run(const rt::Product& product)
{
    return run(product, rt::defaultStartup<F>);
}

} // namespace rtwin
