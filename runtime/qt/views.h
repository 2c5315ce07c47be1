// One view per model control: a standard Qt widget (QLineEdit, QLabel,
// QPushButton, QGroupBox) that shows the model and hands the user's input to
// it, so screen readers and the style see ordinary widgets. Each view is its
// widget, owned by its parent widget as Qt widgets are; text crosses between
// field text and QString here only.
#pragma once

#include "forms.h"
#include "layout.h"

#include <QString>

class QAccessibleInterface;
class QObject;
class QWidget;

namespace rtqt {

// Field text to a QString and back, through the runtime's UTF-16 rules.
QString toDisplay(const rt::Text& text);
QString toUtf16(const rt::Text& text);
rt::Text fromUtf16(const QString& text);

class View : public rt::ControlView {
public:
    View(rt::Control& model, QWidget* handle);
    ~View() override;
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    rt::Control& model() const { return model_; }
    QWidget* handle() const { return handle_; }

    // Puts the widget at its control's place in its container.
    virtual void place(const rt::Layout& layout);
    // The model is going: from now on the widget only behaves as itself.
    void detach();

protected:
    bool attached() const { return attached_; }
    void modelChanged() override {}
    // The widget took the focus; the model hears of it.
    void focused();

private:
    rt::Control& model_;
    QWidget* handle_;
    bool attached_ = true;
};

// The view for a model control, made as a child of `parent`; nullptr for a
// control nothing shows (a timer).
View* makeView(rt::Control& control, QWidget* parent);

// Accessible interfaces of the views' own making, for QAccessible::installFactory.
QAccessibleInterface* viewAccessible(const QString& className, QObject* object);

} // namespace rtqt
