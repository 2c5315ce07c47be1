#include "headless.h"

#include <algorithm>
#include <functional>

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

void focusNext(Form& form)
{
    const auto order = form.tabOrder();
    if (order.empty())
        return;
    const auto it = std::find(order.begin(), order.end(), form.focused());
    form.setFocus(it == order.end() || it + 1 == order.end() ? *order.front() : **(it + 1));
}

ChangeDepth::ChangeDepth(Form& form)
{
    for (Control* c : form.controls()) {
        if (c->kind() != Control::Kind::TextBox)
            continue;
        auto& box = static_cast<TextBox&>(*c);
        box.onChange = [this, inner = std::move(box.onChange)] {
            // Unwound by End and by errors alike.
            struct Level {
                int& depth;
                ~Level() { --depth; }
            } level{++now_};
            deepest_ = std::max(deepest_, now_);
            if (inner)
                inner();
        };
    }
}

} // namespace rt
