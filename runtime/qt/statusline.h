// A field with the status role: the field sits in a status bar, where screen
// readers look for a window's status, and every new message it shows is
// raised as a notification, which they speak without moving the focus. The
// field emptying itself is not news and stays silent.
#pragma once

#include "forms.h"

#include <QAccessible>
#include <QWidget>

#include <deque>

class QAccessibleInterface;

namespace rtqt {

class FieldEdit;

class StatusLine : public QWidget, private QAccessible::ActivationObserver {
public:
    StatusLine(rt::TextBox& model, QWidget* parent);
    ~StatusLine() override;

    FieldEdit* field() const { return field_; }
    // The notification of the latest message, or nullptr before the first.
    QAccessibleInterface* notification() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void announce(const QString& message);
    void raiseNotification();
    void accessibilityActiveChanged(bool active) override;

    FieldEdit* field_;
    // One notification per message, so an event always names the message it
    // was raised for; the previous one stays for a reader still asking.
    std::deque<QAccessible::Id> notifications_;
    bool greeted_ = false;
    bool unheard_ = false; // raised before a screen reader could listen
};

// Accessible interfaces for the status line, for QAccessible::installFactory.
QAccessibleInterface* statusLineAccessible(const QString& className, QObject* object);

} // namespace rtqt
