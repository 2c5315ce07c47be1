#include "win32host.h"

#include "desktop.h"
#include "formwindow.h"
#include "views.h"

#include <algorithm>
#include <utility>

namespace rtwin {

Win32Host::Win32Host() = default;

Win32Host::~Win32Host() = default;

FormWindow* Win32Host::find(const rt::Form& form) const
{
    const auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : it->second.get();
}

void Win32Host::formLoaded(rt::Form& form)
{
    windows_[&form] = std::make_unique<FormWindow>(form, [this](FormWindow& gone) {
        std::erase_if(closing_, [&](const auto& w) { return w.get() == &gone; });
    });
}

void Win32Host::formShown(rt::Form& form)
{
    if (FormWindow* w = find(form))
        w->show();
}

void Win32Host::formUnloaded(rt::Form& form)
{
    const auto it = windows_.find(&form);
    if (it == windows_.end())
        return;
    auto window = std::move(it->second);
    windows_.erase(it);
    window->close();
    closing_.push_back(std::move(window));
}

void Win32Host::focusMoved(rt::Control& control)
{
    if (FormWindow* w = find(control.form()))
        w->focus(control);
}

void Win32Host::timerChanged(rt::Timer& timer)
{
    if (FormWindow* w = find(timer.form()))
        w->timerChanged(timer);
}

void Win32Host::exec()
{
    running_ = true;
    MSG msg;
    while (!quit_ && GetMessageW(&msg, nullptr, 0, 0) > 0)
        process(msg);
    running_ = false;
}

void Win32Host::quit()
{
    quit_ = true;
    // Outside the loop (tests pump by hand) there is nothing to wake.
    if (running_)
        PostQuitMessage(0);
}

void Win32Host::reportError(const std::string& title, const std::string& message)
{
    // The task-modal box keeps the user's input from the windows; what else
    // reaches the model meanwhile finds the program ended.
    if (errorBoxes_)
        MessageBoxW(nullptr, fromUtf8(message).c_str(), fromUtf8(title).c_str(),
                    MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

void Win32Host::process(MSG& msg)
{
    if (HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr) {
        const bool ours = std::any_of(windows_.begin(), windows_.end(),
                                      [root](const auto& w) { return w.second->handle() == root; });
        if (ours && IsDialogMessageW(root, &msg))
            return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

HWND Win32Host::window(const rt::Form& form) const
{
    const FormWindow* w = find(form);
    return w ? w->handle() : nullptr;
}

HWND Win32Host::control(const rt::Control& control) const
{
    const FormWindow* w = find(control.form());
    return w ? w->control(control) : nullptr;
}

int run(const rt::Product& product, const std::function<rt::Form&(rt::Application&)>& startup)
{
    const ProcessSettings settings;
    Win32Host host;
    return rt::run(host, product, startup);
}

} // namespace rtwin
