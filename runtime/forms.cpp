#include "forms.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>

namespace rt {

namespace {

// One level of nesting, counted for as long as it lives.
class Nesting {
public:
    explicit Nesting(int& depth) : depth_(++depth) {}
    ~Nesting() { --depth_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;

private:
    int& depth_;
};

} // namespace

// ---- Colours

namespace {

// WCAG 2 relative luminance: sRGB channels linearised, then weighted.
double luminance(Rgb c)
{
    const auto linear = [](unsigned char v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}

} // namespace

double contrastRatio(Rgb a, Rgb b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Rgb textColorOn(Rgb background)
{
    constexpr Rgb black{0, 0, 0}, white{255, 255, 255};
    return contrastRatio(black, background) >= contrastRatio(white, background) ? black : white;
}

// ---- Control

Control::Control(Form& form, std::string name, Control* container, Rect geometry, int tabIndex)
    : form_(form), name_(std::move(name)), container_(container), geometry_(geometry),
      tabIndex_(tabIndex)
{
    form.controls_.push_back(this);
}

void Control::changed() const
{
    if (view_)
        view_->modelChanged();
}

Application& Control::app() const { return form_.app(); }

// ---- TextBox

TextBox::TextBox(Form& form, std::string name, Control* container, Rect geometry, int tabIndex)
    : Control(form, std::move(name), container, geometry, tabIndex)
{}

void TextBox::setText(Text text)
{
    if (text == text_)
        return;
    text_ = std::move(text);
    selStart_ = 0;
    selLength_ = 0;
    changed();
    raiseChange();
}

void TextBox::setSelStart(Long start) { select(start, 0); }

void TextBox::setSelLength(Long length) { select(selStart_, length); }

Text TextBox::selText() const { return text_.substr(selStart_, selLength_); }

void TextBox::setMaxLength(Long length)
{
    maxLength_ = length;
    changed();
}

void TextBox::setEnabled(bool enabled)
{
    enabled_ = enabled;
    changed();
}

void TextBox::setBackColor(Rgb color)
{
    backColor_ = color;
    changed();
}

std::optional<Rgb> TextBox::foreColor() const
{
    if (!backColor_)
        return std::nullopt;
    return textColorOn(*backColor_);
}

void TextBox::setAccessibleName(std::string name)
{
    accessibleName_ = std::move(name);
    changed();
}

void TextBox::setAccessibleRole(Role role)
{
    accessibleRole_ = role;
    changed();
}

void TextBox::raiseChange()
{
    if (onChange)
        onChange();
}

void TextBox::replaceSelection(const Text& with)
{
    if (selLength_ == 0 && with.empty())
        return;
    text_.replace(selStart_, selLength_, with);
    selStart_ += static_cast<Long>(with.size());
    selLength_ = 0;
    changed();
    raiseChange();
}

void TextBox::applyKey(Integer code)
{
    if (code == 8) {
        if (selLength_ == 0 && selStart_ > 0) {
            --selStart_;
            selLength_ = 1;
        }
        replaceSelection({});
        return;
    }
    // Enter and Escape leave a single-line field alone; other control codes,
    // and codes outside the code page, insert nothing.
    if (code < 32 || code == 127 || code > 255)
        return;
    const auto remaining = static_cast<Long>(text_.size()) - selLength_;
    if (maxLength_ > 0 && remaining >= maxLength_)
        return;
    replaceSelection(Text(1, static_cast<char>(code)));
}

void TextBox::typeKey(Integer code)
{
    app().dispatch([&] {
        if (!enabled_)
            return;
        if (onKeyPress)
            onKeyPress(code);
        if (code != 0)
            applyKey(code);
    });
}

void TextBox::pressDelete()
{
    app().dispatch([&] {
        if (!enabled_)
            return;
        if (selLength_ == 0 && selStart_ < static_cast<Long>(text_.size()))
            selLength_ = 1;
        replaceSelection({});
    });
}

Text TextBox::cut()
{
    Text removed;
    app().dispatch([&] {
        if (!enabled_ || selLength_ == 0)
            return;
        removed = selText();
        replaceSelection({});
    });
    return removed;
}

void TextBox::paste(const Text& clip)
{
    app().dispatch([&] {
        if (!enabled_ || clip.empty())
            return;
        Text fitting = clip;
        if (maxLength_ > 0) {
            const auto room = maxLength_ - (static_cast<Long>(text_.size()) - selLength_);
            if (room <= 0)
                return;
            if (static_cast<Long>(fitting.size()) > room)
                fitting.resize(room);
        }
        replaceSelection(fitting);
    });
}

void TextBox::select(Long start, Long length)
{
    const auto size = static_cast<Long>(text_.size());
    selStart_ = std::clamp<Long>(start, 0, size);
    selLength_ = std::clamp<Long>(length, 0, size - selStart_);
    changed();
}

// ---- Captioned controls, Image

Captioned::Captioned(Form& form, std::string name, Control* container, Rect geometry, int tabIndex,
                     Text caption)
    : Control(form, std::move(name), container, geometry, tabIndex), caption_(std::move(caption))
{}

void Captioned::setCaption(Text caption)
{
    caption_ = std::move(caption);
    changed();
}

Label::Label(Form& form, std::string name, Rect geometry, int tabIndex, Text caption, Font font)
    : Captioned(form, std::move(name), nullptr, geometry, tabIndex, std::move(caption)),
      font_(font)
{}

CommandButton::CommandButton(Form& form, std::string name, Control* container, Rect geometry,
                             int tabIndex, Text caption)
    : Captioned(form, std::move(name), container, geometry, tabIndex, std::move(caption))
{}

void CommandButton::click()
{
    app().dispatch([&] {
        if (onClick)
            onClick();
    });
}

Frame::Frame(Form& form, std::string name, Rect geometry, int tabIndex, Text caption)
    : Captioned(form, std::move(name), nullptr, geometry, tabIndex, std::move(caption))
{}

Image::Image(Form& form, std::string name, Rect geometry, Picture picture)
    : Control(form, std::move(name), nullptr, geometry, -1), picture_(picture)
{}

// ---- Timer

Timer::Timer(Form& form, std::string name, int intervalMs, bool enabled)
    : Control(form, std::move(name), nullptr, {}, -1), interval_(intervalMs), enabled_(enabled)
{}

void Timer::setEnabled(bool enabled)
{
    enabled_ = enabled;
    app().host().timerChanged(*this);
}

bool Timer::running() const { return enabled_ && interval_ > 0 && form().loaded(); }

void Timer::tick()
{
    app().dispatch([&] {
        if (running() && onTimer)
            onTimer();
    });
}

// ---- Form

Form::Form(Application& app, std::string name, Text caption, int clientWidth, int clientHeight,
           Picture icon)
    : app_(app), name_(std::move(name)), caption_(std::move(caption)), clientWidth_(clientWidth),
      clientHeight_(clientHeight), icon_(icon)
{
    app.forms_.push_back(this);
}

Form::~Form() { app_.formGone(*this); }

std::vector<Control*> Form::tabOrder() const
{
    std::vector<Control*> order;
    for (Control* c : controls_)
        if (c->canFocus())
            order.push_back(c);
    std::stable_sort(order.begin(), order.end(), [](const Control* a, const Control* b) {
        return a->tabIndex() < b->tabIndex();
    });
    return order;
}

// Loading and unloading start and stop the window's timers.
void Form::timersChanged()
{
    for (Control* c : controls_)
        if (c->kind() == Control::Kind::Timer)
            app_.host().timerChanged(static_cast<Timer&>(*c));
}

void Form::show()
{
    if (!loaded_) {
        loaded_ = true;
        focused_ = nullptr;
        if (const auto order = tabOrder(); !order.empty())
            focused_ = order.front();
        app_.host().formLoaded(*this);
        timersChanged();
        if (onLoad)
            onLoad();
    }
    app_.host().formShown(*this);
}

void Form::unload()
{
    if (!loaded_ || unloading_)
        return;
    unloading_ = true;
    close();
    unloading_ = false;
    if (std::none_of(app_.forms_.begin(), app_.forms_.end(), [](Form* f) { return f->loaded(); }))
        app_.host().quit();
}

void Form::close()
{
    loaded_ = false;
    if (app_.active_ == this)
        app_.active_ = nullptr;
    timersChanged();
    app_.host().formUnloaded(*this);
}

void Form::setFocus(Control& control)
{
    if (&control.form() != this || !control.canFocus())
        return;
    focused_ = &control;
    if (loaded_)
        app_.host().focusMoved(control);
}

void Form::userActivate()
{
    app_.dispatch([this] { app_.activate(*this); });
}

void Form::userClose()
{
    app_.dispatch([this] { unload(); });
}

void Form::userFocus(Control& control)
{
    app_.dispatch([&] {
        if (&control.form() == this && control.canFocus())
            focused_ = &control;
    });
}

// ---- Application

Application::Application(Host& host, Product product) : host_(host), product_(std::move(product)) {}

Application::~Application()
{
    close();
    // Windows deregister themselves as they go.
    instances_.clear();
}

void Application::close()
{
    ended_ = true;
    for (Form* form : forms_)
        if (form->loaded())
            form->close();
}

void Application::dispatch(const std::function<void()>& event)
{
    if (ended_)
        return;
    // An event raised while another runs (a window shown from a handler, say)
    // belongs to the outer one: only the outermost edge may take an End.
    if (dispatchDepth_ > 0) {
        event();
        return;
    }
    const Nesting depth(dispatchDepth_);
    std::string error;
    try {
        event();
        return;
    } catch (const EndRequest&) {
    } catch (const std::exception& e) {
        // rt::Error's text is its kind: "type mismatch", "overflow", ...
        error = std::string("Run-time error: ") + e.what();
    }
    // End, or an error no handler took: the program stops here. It has ended
    // before the message shows, so no event that reaches it while the
    // message is up (a timer's tick, say) runs a handler.
    ended_ = true;
    if (!error.empty()) {
        std::fprintf(stderr, "%s: %s\n", product_.name.c_str(), error.c_str());
        exitCode_ = 1;
        host_.reportError(product_.name, error);
    }
    host_.quit();
}

void Application::end() { throw EndRequest{}; }

void Application::activate(Form& form)
{
    if (active_ == &form || !form.loaded())
        return;
    Form* previous = active_;
    active_ = &form;
    if (previous && previous->loaded() && previous->onDeactivate)
        previous->onDeactivate();
}

void Application::formGone(Form& form)
{
    std::erase(forms_, &form);
    if (active_ == &form)
        active_ = nullptr;
}

} // namespace rt
