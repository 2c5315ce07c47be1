// Binds the forms runtime to Qt Widgets: each loaded window becomes a real
// top-level widget, each control a widget that shows the model and forwards
// the user's input into it. Nothing edits a widget's text around the model.
#pragma once

#include "forms.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>

class QTimer;
class QWidget;

namespace rtqt {

// Field text (windows-1252 bytes) to what a widget shows, and back.
QString toDisplay(const rt::Text& text);   // with control pictures
QString toUnicode(const rt::Text& text);   // the real characters, for the clipboard
rt::Text fromUnicode(const QString& text); // unmappable characters become "?"
rt::Integer keyCode(char32_t ch);          // a typed character's code

// Pixels at 96 dpi for a length in twips; Qt scales them for high-DPI screens.
int toPixels(int twips);

class QtHost : public rt::Host {
public:
    QtHost();
    ~QtHost() override;

    void formLoaded(rt::Form& form) override;
    void formShown(rt::Form& form) override;
    void formUnloaded(rt::Form& form) override;
    void timerChanged(rt::Timer& timer) override;
    void quit() override;
    void reportError(const std::string& message) override;

    // The top-level widget of a loaded window, or nullptr.
    QWidget* window(const rt::Form& form) const;
    // The widget that shows a control of a loaded window, or nullptr.
    QWidget* widget(const rt::Control& control) const;

    // Takes every window down; call before the model goes.
    void closeAll();

    int exitCode() const { return exitCode_; }

private:
    struct Window;
    std::map<const rt::Form*, std::unique_ptr<Window>> windows_;
    std::map<rt::Timer*, QTimer*> timers_;
    int exitCode_ = 0;
};

// Runs the program with F as its start-up window. Returns the exit code.
// `firstFrame`, when set, is called once the start-up window has been painted.
template <class F> int run(int argc, char** argv, std::function<void(QWidget*)> firstFrame = {});

int runWith(int argc, char** argv, const std::function<rt::Form&(rt::Application&)>& startup,
            const std::function<void(QWidget*)>& firstFrame);

template <class F> int run(int argc, char** argv, std::function<void(QWidget*)> firstFrame)
{
    return runWith(
        argc, argv, [](rt::Application& app) -> rt::Form& { return app.defaultInstance<F>(); },
        firstFrame);
}

} // namespace rtqt
