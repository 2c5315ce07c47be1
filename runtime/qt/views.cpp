#include "views.h"

#include "boundary.h"
#include "desktop.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <deque>

namespace rtqt {

QString toDisplay(const rt::Text& text) { return QString::fromStdU16String(rt::toDisplay(text)); }

QString toUtf16(const rt::Text& text) { return QString::fromStdU16String(rt::toUtf16(text)); }

rt::Text fromUtf16(const QString& text) { return rt::fromUtf16(text.toStdU16String()); }

// ---- View

View::View(rt::Control& model, QWidget* handle) : model_(model), handle_(handle)
{
    handle->setObjectName(QString::fromStdString(model.name()));
    if (!model.canFocus())
        handle->setFocusPolicy(Qt::NoFocus);
    model_.setView(this);
}

View::~View() { detach(); }

void View::place(const rt::Layout& layout)
{
    const rt::PixelRect r = layout.rect(model_);
    handle_->setGeometry(r.left, r.top, r.width, r.height);
}

void View::detach()
{
    if (!attached_)
        return;
    attached_ = false;
    model_.setView(nullptr);
}

void View::focused()
{
    if (attached_)
        model_.form().userFocus(model_);
}

namespace {

bool isNavigation(int key)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

// ---- Text field: a QLineEdit that shows an rt::TextBox. Every edit (keys,
// paste, cut, delete, input-method commits, the context menu, the middle
// button) goes to the model, which the widget then shows. Its own undo and
// redo are left out: they would edit around the model.

class FieldView : public QLineEdit, public View {
public:
    FieldView(rt::TextBox& box, QWidget* parent) : QLineEdit(parent), View(box, this), box_(box)
    {
        setAcceptDrops(false);
        setDragEnabled(false);
        connect(this, &QLineEdit::selectionChanged, this, [this] { mirrorSelection(); });
        connect(this, &QLineEdit::cursorPositionChanged, this, [this] { mirrorSelection(); });
        FieldView::modelChanged();
    }

    void modelChanged() override
    {
        syncing_ = true;
        const QString shown = toDisplay(box_.text());
        if (text() != shown)
            setText(shown);
        const int start = box_.selStart();
        const int length = box_.selLength();
        const int shownStart = hasSelectedText() ? selectionStart() : cursorPosition();
        // Leave a matching selection alone, so a backward selection keeps its anchor.
        if (shownStart != start || static_cast<int>(selectedText().size()) != length) {
            if (length > 0)
                setSelection(start, length);
            else
                setCursorPosition(start);
        }
        setEnabled(box_.enabled());
        // Each new name is an event for screen readers: only a change is news.
        if (const QString name = QString::fromStdString(box_.accessibleName());
            accessibleName() != name)
            setAccessibleName(name);
        // A fixed background comes with its own text colour, in every state:
        // the theme's text colour would be chosen for the theme's background.
        if (const auto back = box_.backColor(), fore = box_.foreColor(); back && fore) {
            QPalette p = palette();
            for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
                p.setColor(group, QPalette::Base, QColor(back->r, back->g, back->b));
                p.setColor(group, QPalette::Text, QColor(fore->r, fore->g, fore->b));
            }
            setPalette(p);
        }
        syncing_ = false;
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        event->accept();
        if (event->matches(QKeySequence::Paste)) {
            pasteFrom(QClipboard::Clipboard);
        } else if (event->matches(QKeySequence::Cut)) {
            cutToClipboard();
        } else if (event->matches(QKeySequence::Copy)) {
            copyToClipboard();
        } else if (event->matches(QKeySequence::SelectAll)) {
            selectWholeText();
        } else if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
            // Left out: an undo would edit the text around the model.
        } else if (isNavigation(event->key())) {
            QLineEdit::keyPressEvent(event);
        } else {
            typedKey(event);
        }
    }

    void inputMethodEvent(QInputMethodEvent* event) override
    {
        // Pre-edit text is not shown in the field; only what the input method commits counts.
        if (!event->commitString().isEmpty())
            typeText(event->commitString());
        event->accept();
    }

    void contextMenuEvent(QContextMenuEvent* event) override
    {
        QMenu menu(this);
        const bool selected = box_.selLength() > 0;
        const bool editable = box_.enabled();
        menu.addAction(tr("Cu&t"), this, [this] { cutToClipboard(); })
            ->setEnabled(selected && editable);
        menu.addAction(tr("&Copy"), this, [this] { copyToClipboard(); })->setEnabled(selected);
        menu.addAction(tr("&Paste"), this, [this] { pasteFrom(QClipboard::Clipboard); })
            ->setEnabled(editable && !QApplication::clipboard()->text().isEmpty());
        menu.addAction(tr("Delete"), this, [this] { box_.pressDelete(); })
            ->setEnabled(selected && editable);
        menu.addSeparator();
        menu.addAction(tr("Select All"), this, [this] { selectWholeText(); })
            ->setEnabled(!box_.text().empty());
        menu.exec(event->globalPos());
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        // The middle button pastes the X11 selection: through the model, like any paste.
        if (event->button() == Qt::MiddleButton) {
            if (QApplication::clipboard()->supportsSelection())
                pasteFrom(QClipboard::Selection);
            event->accept();
            return;
        }
        QLineEdit::mouseReleaseEvent(event);
    }

    void focusInEvent(QFocusEvent* event) override
    {
        QLineEdit::focusInEvent(event);
        focused();
    }

private:
    void typedKey(QKeyEvent* event)
    {
        const Qt::KeyboardModifiers mods = event->modifiers();
        const rt::KeyModifiers modifiers{(mods & Qt::ControlModifier) != 0,
                                         (mods & Qt::AltModifier) != 0,
                                         (mods & Qt::MetaModifier) != 0};
        const bool command = rt::isCommand(modifiers);
        switch (event->key()) {
        // Control+Backspace and Control+Delete would delete a word: left out.
        case Qt::Key_Backspace:
            if (!command)
                box_.typeKey(8);
            break;
        case Qt::Key_Delete:
            if (!command)
                box_.pressDelete();
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            box_.typeKey(13);
            break;
        case Qt::Key_Escape:
            box_.typeKey(27);
            break;
        default: {
            const QString text = event->text();
            if (text.isEmpty() || !rt::typesCharacter(modifiers, text.at(0).unicode()))
                event->ignore();
            else
                typeText(text);
        }
        }
    }

    void typeText(const QString& text)
    {
        for (const char32_t ch : text.toUcs4())
            box_.typeKey(rt::keyCode(ch));
    }

    void selectWholeText() { box_.select(0, static_cast<rt::Long>(box_.text().size())); }

    void copyToClipboard()
    {
        if (box_.selLength() > 0)
            QApplication::clipboard()->setText(toUtf16(box_.copy()));
    }

    void cutToClipboard()
    {
        const rt::Text removed = box_.cut();
        if (!removed.empty())
            QApplication::clipboard()->setText(toUtf16(removed));
    }

    void pasteFrom(QClipboard::Mode mode)
    {
        box_.paste(fromUtf16(QApplication::clipboard()->text(mode)));
    }

    // Selections made with the mouse or the keys, once the widget has made them.
    void mirrorSelection()
    {
        if (syncing_ || !attached())
            return;
        const int start = hasSelectedText() ? selectionStart() : cursorPosition();
        box_.select(start, static_cast<int>(selectedText().size()));
    }

    rt::TextBox& box_;
    bool syncing_ = false;
};

// ---- Status line: a field with the status role sits in a status bar, where
// screen readers look for a window's status, and each new message it shows is
// raised as a notification, which they speak without moving the focus. The
// field emptying itself is not news and stays silent.

class StatusView;

// A message as a screen reader is given it: a notification named by the text.
class Notification : public QAccessibleInterface {
public:
    Notification(QWidget* bar, QString message) : bar_(bar), message_(std::move(message)) {}

    bool isValid() const override { return !bar_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return bar_ ? bar_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override
    {
        return bar_ ? QAccessible::queryAccessibleInterface(bar_.data()) : nullptr;
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
        return bar_ ? QRect(bar_->mapToGlobal(QPoint()), bar_->size()) : QRect();
    }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.invisible = !bar_ || !bar_->isVisible();
        return s;
    }

private:
    QPointer<QWidget> bar_;
    QString message_;
};

// The bar around the status field: one widget, so that the field has a
// status bar for its parent.
class StatusBar : public QWidget {
public:
    using QWidget::QWidget;
    QAccessibleInterface* notification() const
    {
        return notifications_.empty() ? nullptr
                                      : QAccessible::accessibleInterface(notifications_.back());
    }
    ~StatusBar() override
    {
        for (const QAccessible::Id id : notifications_)
            QAccessible::deleteAccessibleInterface(id);
    }
    // One notification per message, so an event always names the message it
    // was raised for; the previous one stays for a reader still asking.
    void add(const QString& message)
    {
        notifications_.push_back(
            QAccessible::registerAccessibleInterface(new Notification(this, message)));
        if (notifications_.size() > 2) {
            QAccessible::deleteAccessibleInterface(notifications_.front());
            notifications_.pop_front();
        }
    }

private:
    std::deque<QAccessible::Id> notifications_;
};

// The status bar holds its field and, after it, the latest notification.
class StatusBarAccessible : public QAccessibleWidget {
public:
    explicit StatusBarAccessible(StatusBar* bar)
        : QAccessibleWidget(bar, QAccessible::StatusBar), bar_(bar)
    {}
    int childCount() const override
    {
        return QAccessibleWidget::childCount() + (bar_->notification() ? 1 : 0);
    }
    QAccessibleInterface* child(int index) const override
    {
        if (index == QAccessibleWidget::childCount())
            return bar_->notification();
        return QAccessibleWidget::child(index);
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (child && child == bar_->notification())
            return QAccessibleWidget::childCount();
        return QAccessibleWidget::indexOfChild(child);
    }

private:
    StatusBar* bar_;
};

class StatusView : public FieldView, private QAccessible::ActivationObserver {
public:
    StatusView(rt::TextBox& box, QWidget* parent)
        : FieldView(box, new StatusBar(parent)), bar_(static_cast<StatusBar*>(parentWidget()))
    {
        QAccessible::installActivationObserver(this);
    }
    ~StatusView() override { QAccessible::removeActivationObserver(this); }

    void place(const rt::Layout& layout) override
    {
        const rt::PixelRect r = layout.rect(model());
        bar_->setGeometry(r.left, r.top, r.width, r.height);
        setGeometry(0, 0, r.width, r.height);
    }

    void modelChanged() override
    {
        const QString before = text();
        FieldView::modelChanged();
        if (text() != before && !text().isEmpty() && isVisible())
            announce();
    }

protected:
    // The greeting is there before the window shows: it is news once it
    // does, or once the accessibility bus is reached, which may come later.
    void showEvent(QShowEvent* event) override
    {
        FieldView::showEvent(event);
        if (!greeted_ && !text().isEmpty())
            announce();
        greeted_ = true;
    }

private:
    void announce()
    {
        bar_->add(text());
        raiseNotification();
    }

    void raiseNotification()
    {
        unheard_ = !QAccessible::isActive();
        QAccessibleEvent shown(bar_->notification(), QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&shown);
    }

    // The bridge to the bus says it is active before it can carry events:
    // raise once it has set itself up.
    void accessibilityActiveChanged(bool active) override
    {
        if (active && unheard_)
            QTimer::singleShot(0, this, [this] {
                if (unheard_ && !text().isEmpty())
                    raiseNotification();
            });
    }

    StatusBar* bar_;
    bool greeted_ = false;
    bool unheard_ = false; // raised before a screen reader could listen
};

// ---- Push button: clicked by the mouse, Space, or Enter while it has the focus.

class ButtonView : public QPushButton, public View {
public:
    ButtonView(rt::CommandButton& button, QWidget* parent)
        : QPushButton(toUtf16(button.caption()), parent), View(button, this)
    {
        // Enter on a focused button clicks it, as Space does.
        setAutoDefault(true);
        connect(this, &QPushButton::clicked, this, [this, &button] {
            if (attached())
                button.click();
        });
    }

protected:
    void focusInEvent(QFocusEvent* event) override
    {
        QPushButton::focusInEvent(event);
        focused();
    }
};

// ---- Label: in the model's font, as wide as its caption needs.

class LabelView : public QLabel, public View {
public:
    LabelView(rt::Label& label, QWidget* parent) : QLabel(parent), View(label, this), label_(label)
    {
        setTextFormat(Qt::PlainText);
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
        setFont(fontFor(label.font()));
        setText(toUtf16(label.caption()));
    }

    void place(const rt::Layout& layout) override
    {
        layout_ = &layout;
        View::place(layout);
    }

    void modelChanged() override
    {
        setText(toUtf16(label_.caption()));
        if (layout_)
            View::place(*layout_);
    }

private:
    rt::Label& label_;
    const rt::Layout* layout_ = nullptr;
};

// ---- Frame: a group box; the fields it frames are its children.

class FrameView : public QGroupBox, public View {
public:
    FrameView(rt::Frame& frame, QWidget* parent)
        : QGroupBox(toUtf16(frame.caption()), parent), View(frame, this)
    {}
};

// ---- Picture: shown at its own size.

class ImageView : public QLabel, public View {
public:
    ImageView(rt::Image& image, QWidget* parent) : QLabel(parent), View(image, this)
    {
        setPixmap(pixmapFor(image.picture()));
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
};

} // namespace

View* makeView(rt::Control& control, QWidget* parent)
{
    switch (control.kind()) {
    case rt::Control::Kind::TextBox: {
        auto& box = static_cast<rt::TextBox&>(control);
        if (box.accessibleRole() == rt::TextBox::Role::Status)
            return new StatusView(box, parent);
        return new FieldView(box, parent);
    }
    case rt::Control::Kind::CommandButton:
        return new ButtonView(static_cast<rt::CommandButton&>(control), parent);
    case rt::Control::Kind::Label:
        return new LabelView(static_cast<rt::Label&>(control), parent);
    case rt::Control::Kind::Frame:
        return new FrameView(static_cast<rt::Frame&>(control), parent);
    case rt::Control::Kind::Image:
        return new ImageView(static_cast<rt::Image&>(control), parent);
    case rt::Control::Kind::Timer:
        break;
    }
    return nullptr;
}

QAccessibleInterface* viewAccessible(const QString&, QObject* object)
{
    if (auto* bar = dynamic_cast<StatusBar*>(object))
        return new StatusBarAccessible(bar);
    return nullptr;
}

} // namespace rtqt
