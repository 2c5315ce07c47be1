// What tests, fuzzers and benchmarks drive the model with, and nothing the
// program links: a host with no display, whose timers run on a manual clock;
// keystrokes as a keyboard sends them; the focus moved as Tab moves it; and a
// watch on how deep Change handlers nest.
#pragma once

#include "forms.h"

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace rt {

class HeadlessHost : public Host {
public:
    void formLoaded(Form&) override {}
    void formShown(Form& form) override;
    void formUnloaded(Form& form) override;
    void focusMoved(Control&) override {}
    void timerChanged(Timer& timer) override;
    void exec() override {} // nothing to wait for: the caller drives every event
    void quit() override { quitRequested_ = true; }
    void reportError(const std::string&, const std::string& message) override
    {
        errors_.push_back(message);
    }

    // Fires every timer that falls due within the next `ms` milliseconds, in order.
    void advance(long long ms);
    long long now() const { return now_; }

    bool visible(const Form& form) const { return visible_.count(&form) != 0; }
    bool quitRequested() const { return quitRequested_; }
    const std::vector<std::string>& errors() const { return errors_; }

private:
    long long now_ = 0;
    std::map<Timer*, long long> due_;
    std::set<const Form*> visible_;
    bool quitRequested_ = false;
    std::vector<std::string> errors_;
};

// Keystrokes into a field as the keyboard would send them: each byte is one
// key code, so "\b", "\r" and "\x1b" are Backspace, Enter and Escape.
void typeKeys(TextBox& field, std::string_view keys);

// The focus to the next control in tab order, wrapping, as Tab moves it.
void focusNext(Form& form);

// How deep the Change handlers of a window's text fields nest, now and at
// most; it wraps the handlers the window has set, so make it after the window.
class ChangeDepth {
public:
    explicit ChangeDepth(Form& form);
    int now() const { return now_; }
    int deepest() const { return deepest_; }

private:
    int now_ = 0;
    int deepest_ = 0;
};

} // namespace rt
