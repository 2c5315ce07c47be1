// The top-level window of one loaded form. Its controls are all its own
// children (a group box contains nothing in Win32), in tab-index order, placed
// by rt::Layout at the window's DPI. Its window procedure only dispatches:
// activation, closing, timers and DPI changes go to the model, WM_COMMAND and
// WM_CTLCOLOR* back to the view of the control that sent them, a change of
// the system's colours to a repaint of every control.
#pragma once

#include "desktop.h"
#include "forms.h"
#include "layout.h"
#include "views.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace rtwin {

class FormWindow {
public:
    // `destroyed` is called from the window's own message once it may go.
    FormWindow(rt::Form& form, std::function<void(FormWindow&)> destroyed);
    ~FormWindow();
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    HWND handle() const { return hwnd_; }
    HWND control(const rt::Control& control) const;

    void show();
    void focus(const rt::Control& target);
    void timerChanged(rt::Timer& timer);
    // The model has unloaded the form: cut the views from it, hide the window
    // and destroy it at the next turn of the event loop, since this can come
    // from inside one of the window's own messages.
    void close();

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT message(UINT msg, WPARAM wp, LPARAM lp);
    void layOut(int dpi, std::optional<POINT> at = std::nullopt);
    void fitClient(int dpi, std::optional<POINT> at);
    SIZE sizeAt(int dpi) const;
    void restoreFocus();

    rt::Form& form_;
    std::function<void(FormWindow&)> destroyed_;
    HWND hwnd_ = nullptr;
    std::unique_ptr<FontSet> fonts_;
    std::unique_ptr<rt::Layout> layout_;
    HICON bigIcon_ = nullptr, smallIcon_ = nullptr;
    SIZE size_{}; // the window's size, frame included
    std::vector<std::unique_ptr<View>> views_;
    std::vector<rt::Timer*> timers_; // timer id = index + 1
    bool closed_ = false;
};

} // namespace rtwin
