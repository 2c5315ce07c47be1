// Binds the forms runtime to Qt Widgets: each loaded window becomes a
// top-level widget of standard widgets (formwindow.h, views.h) that show the
// model and hand the user's input to it. Text, layout and start-up rules come
// from the runtime; this binding only does what Qt needs.
#pragma once

#include "forms.h"
#include "program.h"

#include <functional>
#include <map>
#include <memory>

class QWidget;

namespace rtqt {

class FormWindow;

class QtHost : public rt::Host {
public:
    QtHost();
    ~QtHost() override;
    QtHost(const QtHost&) = delete;
    QtHost& operator=(const QtHost&) = delete;

    // The event loop, and the end of it.
    void exec() override;
    void quit() override;
    void reportError(const std::string& title, const std::string& message) override;
    // The windows and what is in them.
    void formLoaded(rt::Form& form) override;
    void formShown(rt::Form& form) override;
    void formUnloaded(rt::Form& form) override;
    void focusMoved(rt::Control& control) override;
    void timerChanged(rt::Timer& timer) override;

    // Off for tests: an error is then only printed, never shown in a modal box.
    void setErrorBoxes(bool on) { errorBoxes_ = on; }
    // The top-level widget of a loaded form, or nullptr.
    QWidget* window(const rt::Form& form) const;
    // The widget that shows a control of a loaded form, or nullptr.
    QWidget* control(const rt::Control& control) const;

private:
    FormWindow* find(const rt::Form& form) const;

    std::map<const rt::Form*, std::unique_ptr<FormWindow>> windows_;
    bool errorBoxes_ = true;
    bool running_ = false;
};

// Runs the program with the start-up window `startup` makes and returns its
// exit code; with no windowing system to start on, it says why in one line
// and exits with 2 (desktop.h).
int run(int argc, char** argv, const rt::Product& product,
        const std::function<rt::Form&(rt::Application&)>& startup);

template <class F> int run(int argc, char** argv, const rt::Product& product)
{
    return run(argc, argv, product, rt::defaultStartup<F>);
}

} // namespace rtqt
