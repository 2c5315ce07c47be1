// A window's own title bar, for Wayland compositors that draw none: the
// program's icon, the window's title, a minimise and a close button (the
// windows have a fixed size: nothing to maximise). Dragging it moves the
// window through the compositor. It paints from the palette and takes its
// size from the font; it never takes the focus. What the buttons do is the
// window's own business: Close asks the window to close, as any title bar's.
#pragma once

#include <QWidget>

class QAccessibleInterface;
class QAbstractButton;
class QIcon;
class QLabel;

namespace rtqt {

class TitleBar : public QWidget {
public:
    TitleBar(const QString& title, const QIcon& icon, QWidget* window);

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int iconSide() const;

    QLabel* icon_;
    QLabel* title_;
    QAbstractButton* minimise_;
    QAbstractButton* close_;
};

// The accessible title bar, for QAccessible::installFactory.
QAccessibleInterface* titleBarAccessible(const QString& className, QObject* object);

} // namespace rtqt
