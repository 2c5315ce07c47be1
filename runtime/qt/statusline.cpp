#include "statusline.h"

#include "fieldedit.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QTimer>

namespace rtqt {
namespace {

// A message as a screen reader is given it: a notification named by the text.
class Notification : public QAccessibleInterface {
public:
    Notification(StatusLine* line, QString message) : line_(line), message_(std::move(message)) {}

    bool isValid() const override { return !line_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return line_ ? line_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override
    {
        return line_ ? QAccessible::queryAccessibleInterface(line_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? message_ : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        return line_ ? QRect(line_->mapToGlobal(QPoint()), line_->size()) : QRect();
    }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.invisible = !line_ || !line_->isVisible();
        return s;
    }

private:
    QPointer<StatusLine> line_;
    QString message_;
};

// The status bar holds its field and, after it, the latest notification.
class StatusBarAccessible : public QAccessibleWidget {
public:
    explicit StatusBarAccessible(StatusLine* line)
        : QAccessibleWidget(line, QAccessible::StatusBar), line_(line)
    {}
    int childCount() const override
    {
        return QAccessibleWidget::childCount() + (line_->notification() ? 1 : 0);
    }
    QAccessibleInterface* child(int index) const override
    {
        if (index == QAccessibleWidget::childCount())
            return line_->notification();
        return QAccessibleWidget::child(index);
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (child && child == line_->notification())
            return QAccessibleWidget::childCount();
        return QAccessibleWidget::indexOfChild(child);
    }

private:
    StatusLine* line_;
};

} // namespace

StatusLine::StatusLine(rt::TextBox& model, QWidget* parent)
    : QWidget(parent), field_(new FieldEdit(model, this))
{
    connect(field_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!text.isEmpty() && isVisible())
            announce(text);
    });
    QAccessible::installActivationObserver(this);
}

StatusLine::~StatusLine()
{
    QAccessible::removeActivationObserver(this);
    for (const QAccessible::Id id : notifications_)
        QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface* StatusLine::notification() const
{
    return notifications_.empty() ? nullptr
                                  : QAccessible::accessibleInterface(notifications_.back());
}

void StatusLine::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    field_->setGeometry(rect());
}

// The greeting is there before the window shows: it is news once it does,
// or once the accessibility bus is reached, which may come later.
void StatusLine::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!greeted_ && !field_->text().isEmpty())
        announce(field_->text());
    greeted_ = true;
}

void StatusLine::announce(const QString& message)
{
    notifications_.push_back(
        QAccessible::registerAccessibleInterface(new Notification(this, message)));
    if (notifications_.size() > 2) {
        QAccessible::deleteAccessibleInterface(notifications_.front());
        notifications_.pop_front();
    }
    raiseNotification();
}

void StatusLine::raiseNotification()
{
    unheard_ = !QAccessible::isActive();
    QAccessibleEvent shown(notification(), QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

// The bridge to the bus says it is active before it can carry events: raise
// once it has set itself up.
void StatusLine::accessibilityActiveChanged(bool active)
{
    if (active && unheard_)
        QTimer::singleShot(0, this, [this] {
            if (unheard_ && !field_->text().isEmpty())
                raiseNotification();
        });
}

QAccessibleInterface* statusLineAccessible(const QString&, QObject* object)
{
    if (auto* line = dynamic_cast<StatusLine*>(object))
        return new StatusBarAccessible(line);
    return nullptr;
}

} // namespace rtqt
