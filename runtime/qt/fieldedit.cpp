#include "fieldedit.h"

#include "boundary.h"
#include "qthost.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

namespace rtqt {
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

} // namespace

FieldEdit::FieldEdit(rt::TextBox& model, QWidget* parent) : QLineEdit(parent), model_(model)
{
    setAcceptDrops(false);
    setDragEnabled(false);
    connect(this, &QLineEdit::selectionChanged, this, [this] { mirrorSelection(); });
    connect(this, &QLineEdit::cursorPositionChanged, this, [this] { mirrorSelection(); });
    model_.setView(this);
    modelChanged();
}

FieldEdit::~FieldEdit() = default;

void FieldEdit::modelChanged()
{
    syncing_ = true;
    const QString shown = toDisplay(model_.text());
    if (text() != shown)
        setText(shown);
    const int start = model_.selStart();
    const int length = model_.selLength();
    const int shownStart = hasSelectedText() ? selectionStart() : cursorPosition();
    // Leave a matching selection alone, so a backward selection keeps its anchor.
    if (shownStart != start || static_cast<int>(selectedText().size()) != length) {
        if (length > 0)
            setSelection(start, length);
        else
            setCursorPosition(start);
    }
    setEnabled(model_.enabled());
    // Each new name is an event for screen readers: only a change is news.
    if (const QString name = QString::fromStdString(model_.accessibleName());
        accessibleName() != name)
        setAccessibleName(name);
    // A fixed background comes with its own text colour, in every state:
    // the theme's text colour would be chosen for the theme's background.
    if (const auto back = model_.backColor(), fore = model_.foreColor(); back && fore) {
        QPalette p = palette();
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            p.setColor(group, QPalette::Base, QColor(back->r, back->g, back->b));
            p.setColor(group, QPalette::Text, QColor(fore->r, fore->g, fore->b));
        }
        setPalette(p);
    }
    syncing_ = false;
}

void FieldEdit::mirrorSelection()
{
    if (syncing_)
        return;
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    model_.select(start, static_cast<int>(selectedText().size()));
}

void FieldEdit::typeText(const QString& text)
{
    for (const char32_t ch : text.toUcs4())
        model_.typeKey(rt::keyCode(ch));
}

void FieldEdit::selectWholeText() { model_.select(0, static_cast<rt::Long>(model_.text().size())); }

void FieldEdit::copyToClipboard()
{
    if (model_.selLength() > 0)
        QApplication::clipboard()->setText(toUtf16(model_.copy()));
}

void FieldEdit::cutToClipboard()
{
    const rt::Text removed = model_.cut();
    if (!removed.empty())
        QApplication::clipboard()->setText(toUtf16(removed));
}

void FieldEdit::pasteFrom(bool selectionClipboard)
{
    const auto mode = selectionClipboard ? QClipboard::Selection : QClipboard::Clipboard;
    model_.paste(fromUtf16(QApplication::clipboard()->text(mode)));
}

void FieldEdit::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    if (event->matches(QKeySequence::Paste)) {
        pasteFrom(false);
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
        const Qt::KeyboardModifiers mods = event->modifiers();
        const rt::KeyModifiers modifiers{(mods & Qt::ControlModifier) != 0,
                                         (mods & Qt::AltModifier) != 0,
                                         (mods & Qt::MetaModifier) != 0};
        const bool command = rt::isCommand(modifiers);
        switch (event->key()) {
        // Control+Backspace and Control+Delete would delete a word: left out.
        case Qt::Key_Backspace:
            if (!command)
                model_.typeKey(8);
            break;
        case Qt::Key_Delete:
            if (!command)
                model_.pressDelete();
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            model_.typeKey(13);
            break;
        case Qt::Key_Escape:
            model_.typeKey(27);
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
}

void FieldEdit::inputMethodEvent(QInputMethodEvent* event)
{
    // Pre-edit text is not shown in the field; only what the input method commits counts.
    if (!event->commitString().isEmpty())
        typeText(event->commitString());
    event->accept();
}

void FieldEdit::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    const bool selected = model_.selLength() > 0;
    const bool editable = model_.enabled();
    menu.addAction(tr("Cu&t"), this, [this] { cutToClipboard(); })
        ->setEnabled(selected && editable);
    menu.addAction(tr("&Copy"), this, [this] { copyToClipboard(); })->setEnabled(selected);
    menu.addAction(tr("&Paste"), this, [this] { pasteFrom(false); })
        ->setEnabled(editable && !QApplication::clipboard()->text().isEmpty());
    menu.addAction(tr("Delete"), this, [this] { model_.pressDelete(); })
        ->setEnabled(selected && editable);
    menu.addSeparator();
    menu.addAction(tr("Select All"), this, [this] { selectWholeText(); })
        ->setEnabled(!model_.text().empty());
    menu.exec(event->globalPos());
}

void FieldEdit::mouseReleaseEvent(QMouseEvent* event)
{
    // The middle button pastes the X11 selection: through the model, like any paste.
    if (event->button() == Qt::MiddleButton) {
        if (QApplication::clipboard()->supportsSelection())
            pasteFrom(true);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

} // namespace rtqt
