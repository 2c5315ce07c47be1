// Binds the forms runtime to Qt Widgets: each loaded window becomes a real
// top-level widget, each control a widget that shows the model and forwards
// the user's input into it. Text, layout and start-up rules come from the
// runtime; this binding only does what Qt needs.
#pragma once

#include "forms.h"
#include "program.h"

#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>

class QTimer;
class QWidget;

namespace rtqt {

// Field text to a QString and back, through the runtime's UTF-16 rules.
QString toDisplay(const rt::Text& text);
QString toUtf16(const rt::Text& text);
rt::Text fromUtf16(const QString& text);

class QtHost : public rt::Host {
public:
    QtHost();
    ~QtHost() override;

    void formLoaded(rt::Form& form) override;
    void formShown(rt::Form& form) override;
    void formUnloaded(rt::Form& form) override;
    void focusMoved(rt::Control& control) override;
    void timerChanged(rt::Timer& timer) override;
    void exec() override;
    void quit() override;
    void reportError(const std::string& title, const std::string& message) override;

    // Off for tests: an error is then only printed, never shown in a modal box.
    void setErrorBoxes(bool on) { errorBoxes_ = on; }
    // Each window draws its own title bar above its content, for desktops
    // where nothing else draws one; windows loaded from then on.
    void setTitleBars(bool on) { titleBars_ = on; }
    // Called once, when the first window shown has been painted.
    void setFirstFrame(std::function<void(QWidget*)> firstFrame);

    // The top-level widget of a loaded window, or nullptr.
    QWidget* window(const rt::Form& form) const;
    // The widget that shows a control of a loaded window, or nullptr.
    QWidget* widget(const rt::Control& control) const;

private:
    struct Window;
    std::map<rt::Form*, std::unique_ptr<Window>, std::less<>> windows_;
    std::map<rt::Timer*, QTimer*> timers_;
    std::function<void(QWidget*)> firstFrame_;
    bool errorBoxes_ = true;
    bool titleBars_ = false;
    QMetaObject::Connection focusWatch_;
};

// Runs the program with the start-up window `startup` makes; returns the exit
// code, or 2 with a one-line hint when no display can be reached.
int run(int argc, char** argv, const rt::Product& product,
        const std::function<rt::Form&(rt::Application&)>& startup,
        std::function<void(QWidget*)> firstFrame = {});

template <class F>
int run(int argc, char** argv, const rt::Product& product,
        std::function<void(QWidget*)> firstFrame = {})
{
    return run(argc, argv, product, rt::defaultStartup<F>, std::move(firstFrame));
}

} // namespace rtqt
