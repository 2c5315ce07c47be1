// The forms runtime: a toolkit-free model of windows and their controls, the
// event semantics the program's handlers rely on, the timer, End and the
// application object. A Host (a toolkit binding, or the tests' headless host)
// shows the model and feeds the user's input into it.
//
// The contract between the model and a host:
// - The host is told, for a window: formLoaded (build its views, hidden),
//   then the window's Load runs, then formShown (show it, centred the first
//   time, activate it and put the focus on Form::focused()). focusMoved when
//   code moves the focus; timerChanged whenever a timer may have started,
//   restarted or stopped (Timer::running() says which); formUnloaded (take its
//   views down: this can come from inside one of the window's own events, so
//   destroy them once that event is over); quit (leave the event loop);
//   reportError (show an error no handler took: the program has ended).
// - Every user action enters the model through exactly one entry, each one
//   event through Application::dispatch: TextBox::typeKey, pressDelete, cut,
//   copy, paste and select; CommandButton::click; Timer::tick;
//   Form::userActivate, userClose and userFocus.
// - A ControlView is told modelChanged() after every change of its control;
//   it then shows the model again, whole (text, selection, enabled, colour,
//   name). A host never changes a control's text itself.
// - run() in program.h is the start-up and teardown order every host follows.
#pragma once

#include "coerce.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <typeindex>
#include <typeinfo>
#include <unordered_map>
#include <vector>

namespace rt {

class Application;
class Form;
class Timer;

// Positions and sizes in twips (1440 to the inch), from the container's
// top-left corner.
struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
};

struct Font {
    enum class Face { Default, SansSerif }; // Default: the toolkit's own font
    Face face = Face::Default;
    double pointSize = 0; // 0: the toolkit's size
    bool bold = false;
};

struct Rgb {
    unsigned char r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// Contrast between two colours as WCAG 2 defines it, from 1 (none) to 21.
double contrastRatio(Rgb a, Rgb b);
// Black or white, whichever reads better on the background.
Rgb textColorOn(Rgb background);

// Pictures by logical name; each binding finds them among its own resources.
enum class Picture { None, ProgramIcon };

// Who the program is, handed in once by the program's start-up.
struct Product {
    std::string name;  // also the title of error messages
    std::string appId; // the desktop id
    Integer major = 0, minor = 0;
};

// Thrown by Application::end(). Deliberately not an rt::Error or a
// std::exception, so that no error policy can swallow it.
struct EndRequest {};

// What a binding shows of a control.
class ControlView {
public:
    virtual ~ControlView() = default;
    virtual void modelChanged() = 0;
};

class Control {
public:
    enum class Kind { TextBox, Label, CommandButton, Frame, Image, Timer };

    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control() = default;

    virtual Kind kind() const = 0;
    virtual bool canFocus() const { return false; }

    const std::string& name() const { return name_; }
    Form& form() const { return form_; }
    Control* container() const { return container_; } // nullptr: the window
    const Rect& geometry() const { return geometry_; }
    int tabIndex() const { return tabIndex_; }

    void setView(ControlView* view) { view_ = view; }

protected:
    Control(Form& form, std::string name, Control* container, Rect geometry, int tabIndex);
    void changed() const;
    Application& app() const;

private:
    Form& form_;
    std::string name_;
    Control* container_;
    Rect geometry_;
    int tabIndex_;
    ControlView* view_ = nullptr;
};

class TextBox : public Control {
public:
    // What the field is to a screen reader: a field to edit, or the window's
    // status line, whose new messages are announced.
    enum class Role { Field, Status };

    TextBox(Form& form, std::string name, Control* container, Rect geometry, int tabIndex);

    Kind kind() const override { return Kind::TextBox; }
    bool canFocus() const override { return enabled_; }

    std::function<void()> onChange;
    std::function<void(Integer&)> onKeyPress;

    // Programmatic access, as handlers use it.
    const Text& text() const { return text_; }
    void setText(Text text); // raises Change before it returns, unless unchanged
    Long selStart() const { return selStart_; }
    Long selLength() const { return selLength_; }
    void setSelStart(Long start);
    void setSelLength(Long length); // from the caret, clipped to the text
    Text selText() const;
    Long maxLength() const { return maxLength_; }
    void setMaxLength(Long length); // 0: no limit; typing and pasting only
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    const std::optional<Rgb>& backColor() const { return backColor_; }
    // A fixed background brings its own text colour, so no theme can make
    // the text unreadable on it.
    void setBackColor(Rgb color);
    std::optional<Rgb> foreColor() const;
    // What a screen reader calls the field, and what it is.
    const std::string& accessibleName() const { return accessibleName_; }
    void setAccessibleName(std::string name);
    Role accessibleRole() const { return accessibleRole_; }
    void setAccessibleRole(Role role);

    // User input. Each is one event: it runs through the application's
    // dispatch edge, so nothing thrown by a handler escapes it.
    void typeKey(Integer code);
    void pressDelete();
    Text cut(); // the removed text, for the clipboard
    Text copy() const { return selText(); }
    void paste(const Text& clip);
    void select(Long start, Long length); // mouse or arrow-key selection; raises nothing

private:
    void raiseChange();
    void replaceSelection(const Text& with); // then raises Change if the text changed
    void applyKey(Integer code);

    Text text_;
    Long selStart_ = 0;
    Long selLength_ = 0;
    Long maxLength_ = 0;
    bool enabled_ = true;
    std::optional<Rgb> backColor_;
    std::string accessibleName_;
    Role accessibleRole_ = Role::Field;
};

// A control that shows a caption of its own.
class Captioned : public Control {
public:
    const Text& caption() const { return caption_; }

protected:
    Captioned(Form& form, std::string name, Control* container, Rect geometry, int tabIndex,
              Text caption);
    void setCaption(Text caption);

private:
    Text caption_;
};

class Label : public Captioned {
public:
    Label(Form& form, std::string name, Rect geometry, int tabIndex, Text caption, Font font);
    Kind kind() const override { return Kind::Label; }
    using Captioned::setCaption;
    const Font& font() const { return font_; }

private:
    Font font_;
};

class CommandButton : public Captioned {
public:
    CommandButton(Form& form, std::string name, Control* container, Rect geometry, int tabIndex,
                  Text caption);
    Kind kind() const override { return Kind::CommandButton; }
    bool canFocus() const override { return true; }

    std::function<void()> onClick;
    void click(); // user input, through the dispatch edge
};

class Frame : public Captioned {
public:
    Frame(Form& form, std::string name, Rect geometry, int tabIndex, Text caption);
    Kind kind() const override { return Kind::Frame; }
};

// A picture shown at its own size.
class Image : public Control {
public:
    Image(Form& form, std::string name, Rect geometry, Picture picture);
    Kind kind() const override { return Kind::Image; }
    Picture picture() const { return picture_; }

private:
    Picture picture_;
};

// Raises Timer every interval while enabled and its window is loaded.
class Timer : public Control {
public:
    Timer(Form& form, std::string name, int intervalMs, bool enabled);
    Kind kind() const override { return Kind::Timer; }

    std::function<void()> onTimer;

    int interval() const { return interval_; }
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled); // enabling restarts the period
    bool running() const;

    void tick(); // from the host's clock, through the dispatch edge

private:
    int interval_;
    bool enabled_;
};

class Form {
public:
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    Application& app() const { return app_; }
    const std::string& name() const { return name_; }
    const Text& caption() const { return caption_; }
    int clientWidth() const { return clientWidth_; }
    int clientHeight() const { return clientHeight_; }
    Picture icon() const { return icon_; }

    // In creation order.
    const std::vector<Control*>& controls() const { return controls_; }
    std::vector<Control*> tabOrder() const; // focusable controls by tab index

    bool loaded() const { return loaded_; }
    void show(); // modeless; loads first, which raises Load
    void unload();

    Control* focused() const { return focused_; }
    void setFocus(Control& control); // ignored for a control that cannot take it

    // User input, each one event through the dispatch edge.
    void userActivate();              // the user brought the window to the front
    void userClose();                 // the window's close button: unloads it
    void userFocus(Control& control); // the toolkit has already moved the focus

    std::function<void()> onLoad;
    std::function<void()> onDeactivate;

protected:
    Form(Application& app, std::string name, Text caption, int clientWidth, int clientHeight,
         Picture icon);

private:
    friend class Control;
    friend class Application;
    void timersChanged();
    void close();

    Application& app_;
    std::string name_;
    Text caption_;
    int clientWidth_;
    int clientHeight_;
    Picture icon_;
    std::vector<Control*> controls_;
    Control* focused_ = nullptr;
    bool loaded_ = false;
    bool unloading_ = false;
};

// What a toolkit binding, or the tests' headless host, does for the runtime; the
// contract at the top of this file says when each is called.
class Host {
public:
    virtual ~Host() = default;
    virtual void formLoaded(Form& form) = 0;
    virtual void formShown(Form& form) = 0;
    virtual void formUnloaded(Form& form) = 0;
    virtual void focusMoved(Control& control) = 0;
    virtual void timerChanged(Timer& timer) = 0;
    virtual void exec() = 0; // runs the event loop until quit()
    virtual void quit() = 0;
    virtual void reportError(const std::string& title, const std::string& message) = 0;
};

class Application {
public:
    Application(Host& host, Product product);
    ~Application();

    const Product& product() const { return product_; }
    Integer major() const { return product_.major; }
    Integer minor() const { return product_.minor; }

    Host& host() const { return host_; }

    // The default instance of a window, created on first use; it outlives unloading.
    template <class F> F& defaultInstance()
    {
        auto& slot = instances_[std::type_index(typeid(F))];
        if (!slot)
            slot = std::make_unique<F>(*this);
        return static_cast<F&>(*slot);
    }

    // The edge every user event passes: it runs the event unless the program
    // has ended, and takes whatever no handler took.
    void dispatch(const std::function<void()>& event);

    [[noreturn]] void end(); // stops the program: no further step or handler runs
    bool ended() const { return ended_; }
    int exitCode() const { return exitCode_; } // 0, or 1 after an error no handler took

    // Takes every window down without raising anything: the program is over.
    void close();

    Form* activeForm() const { return active_; }
    void activate(Form& form); // raises Deactivate on the window that was active

private:
    friend class TextBox;
    friend class Form;
    void formGone(Form& form);

    Host& host_;
    Product product_;
    std::unordered_map<std::type_index, std::unique_ptr<Form>> instances_;
    std::vector<Form*> forms_;
    Form* active_ = nullptr;
    bool ended_ = false;
    int exitCode_ = 0;
    int dispatchDepth_ = 0;
};

} // namespace rt
