// What tests, fuzzers and benchmarks drive the model with, and nothing the
// program links: a host with no display, whose timers run on a manual clock,
// and keystrokes as a keyboard sends them.
#pragma once

#include "forms.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace rt {

class HeadlessHost : public Host {
public:
    void formLoaded(Form&) override {}
    void formShown(Form& form) override { form.app().activate(form); }
    void formUnloaded(Form&) override {}
    void focusMoved(Control&) override {}
    void timerChanged(Timer& timer) override
    {
        if (timer.running())
            due_[&timer] = now_ + timer.interval();
        else
            due_.erase(&timer);
    }
    void exec() override {} // nothing to wait for: the caller drives every event
    void quit() override { quitRequested_ = true; }
    void reportError(const std::string&, const std::string& message) override
    {
        errors_.push_back(message);
    }

    // Fires every timer that falls due within the next `ms` milliseconds, in order.
    void advance(long long ms)
    {
        const long long target = now_ + ms;
        for (;;) {
            auto next = due_.end();
            for (auto it = due_.begin(); it != due_.end(); ++it)
                if (it->second <= target && (next == due_.end() || it->second < next->second))
                    next = it;
            if (next == due_.end())
                break;
            Timer& timer = *next->first;
            now_ = next->second;
            next->second = now_ + timer.interval();
            timer.tick();
        }
        now_ = target;
    }
    long long now() const { return now_; }

    bool quitRequested() const { return quitRequested_; }
    const std::vector<std::string>& errors() const { return errors_; }

private:
    long long now_ = 0;
    std::map<Timer*, long long> due_;
    bool quitRequested_ = false;
    std::vector<std::string> errors_;
};

// Keystrokes into a field as the keyboard would send them: each byte is one
// key code, so "\b", "\r" and "\x1b" are Backspace, Enter and Escape.
inline void typeKeys(TextBox& field, std::string_view keys)
{
    field.form().setFocus(field);
    for (const char k : keys)
        field.typeKey(static_cast<Integer>(static_cast<unsigned char>(k)));
}

} // namespace rt
