// The top-level window of one loaded form: a fixed-size widget holding one
// view per control, placed by rt::Layout, and the form's timers. Activation
// and closing go to the model; the views hand it everything else.
#pragma once

#include "forms.h"
#include "layout.h"

#include <map>
#include <memory>
#include <vector>

class QAccessibleInterface;
class QObject;
class QString;
class QTimer;
class QWidget;

namespace rtqt {

class TopLevel;
class View;

class FormWindow {
public:
    explicit FormWindow(rt::Form& form);
    ~FormWindow();
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    QWidget* handle() const;
    QWidget* control(const rt::Control& control) const;

    void show(); // centred the first time, with the focus on the form's focused control
    void focus(const rt::Control& control);
    void timerChanged(rt::Timer& timer);
    // The model has unloaded the form: cut the views from it, hide the window
    // and delete it once the event loop is back, since this can come from
    // inside one of the window's own events.
    void close();

private:
    rt::Form& form_;
    TopLevel* top_;
    std::unique_ptr<rt::Layout> layout_;
    std::vector<View*> views_; // owned by their parent widgets
    std::map<const rt::Timer*, QTimer*> timers_;
    bool closed_ = false;
};

// Accessible interfaces for the windows, for QAccessible::installFactory.
QAccessibleInterface* windowAccessible(const QString& className, QObject* object);

} // namespace rtqt
