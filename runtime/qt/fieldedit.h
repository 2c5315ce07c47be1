// A single-line text field that shows an rt::TextBox and routes every edit
// (keys, paste, cut, delete, input-method commits, the context menu) into
// it. Its own undo and redo are left out: they would edit around the model.
#pragma once

#include "forms.h"

#include <QLineEdit>

namespace rtqt {

class FieldEdit : public QLineEdit, public rt::ControlView {
public:
    FieldEdit(rt::TextBox& model, QWidget* parent);
    ~FieldEdit() override;

    void modelChanged() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void typeText(const QString& text);
    void selectWholeText();
    void copyToClipboard();
    void pasteFrom(bool selectionClipboard);
    void cutToClipboard();
    void mirrorSelection();

    rt::TextBox& model_;
    bool syncing_ = false;
};

} // namespace rtqt
