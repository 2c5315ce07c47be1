#include "headless.h"

namespace rt {

void HeadlessHost::formShown(Form& form)
{
    visible_.insert(&form);
    form.app().activate(form);
}

void HeadlessHost::formUnloaded(Form& form) { visible_.erase(&form); }

void HeadlessHost::timerChanged(Timer& timer)
{
    if (timer.running())
        due_[&timer] = now_ + timer.interval();
    else
        due_.erase(&timer);
}

void HeadlessHost::advance(long long ms)
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

void typeKeys(TextBox& field, std::string_view keys)
{
    field.form().setFocus(field);
    for (const char k : keys)
        field.typeKey(static_cast<Integer>(static_cast<unsigned char>(k)));
}

} // namespace rt
