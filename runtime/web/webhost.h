// Binds the forms runtime to a web page: the first window becomes the page's
// main region and later ones non-modal dialogs (formwindow.h), of plain
// elements that show the model and hand the user's input to it (views.h).
// Text, layout and start-up rules come from the runtime; this binding only
// does what the page needs.
#pragma once

#include "forms.h"
#include "program.h"

#include <emscripten/val.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace rtweb {

class FormWindow;

class WebHost : public rt::Host {
public:
    WebHost();
    ~WebHost() override;
    WebHost(const WebHost&) = delete;
    WebHost& operator=(const WebHost&) = delete;

    // The event loop is the page's own: this waits until quit().
    void exec() override;
    void quit() override;
    void reportError(const std::string& title, const std::string& message) override;
    // The windows and what is in them.
    void formLoaded(rt::Form& form) override;
    void formShown(rt::Form& form) override;
    void formUnloaded(rt::Form& form) override;
    void focusMoved(rt::Control& control) override;
    void timerChanged(rt::Timer& timer) override;

    // Off for tests: an error is then only printed, never shown in the page.
    void setErrorBoxes(bool on) { errorBoxes_ = on; }
    // The element of a loaded form's window, or null.
    emscripten::val window(const rt::Form& form) const;
    // The element that shows a control of a loaded form, or null.
    emscripten::val control(const rt::Control& control) const;

private:
    FormWindow* find(const rt::Form& form) const;
    static void collect(void* host);

    std::map<const rt::Form*, std::unique_ptr<FormWindow>> windows_;
    std::vector<std::unique_ptr<FormWindow>> closing_; // out of the page, destroyed next turn
    long collecting_ = 0;                              // the timeout that destroys them
    bool mainShown_ = false;
    bool errorBoxes_ = true;
    bool quit_ = false;
};

// Runs the program with the start-up window `startup` makes and returns its
// exit code. When it ends, the page says so, with a button to start it again.
int run(const rt::Product& product, const std::function<rt::Form&(rt::Application&)>& startup);

template <class F> int run(const rt::Product& product)
{
    return run(product, rt::defaultStartup<F>);
}

} // namespace rtweb
