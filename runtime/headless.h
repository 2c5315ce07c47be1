// A host with no display: windows are shown and activated in the model only,
// and timers run on a manual clock that tests advance by hand.
#pragma once

#include "forms.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace rt {

class HeadlessHost : public Host {
public:
    void formLoaded(Form&) override {}
    void formShown(Form& form) override;
    void formUnloaded(Form& form) override;
    void focusMoved(Control&) override {}
    void timerChanged(Timer& timer) override;
    void exec() override {} // nothing to wait for: tests drive every event by hand
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

} // namespace rt
