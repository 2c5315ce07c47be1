// The program's own start-up function, offscreen: the converter window comes
// up with its greeting and the focus in the decimal field, and Escape there
// ends the program with exit code 0.
#include "frmMain.h"
#include "product.h"
#include "qthost.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <gtest/gtest.h>

TEST(Startup, FirstFrameShowsTheConverterWindow)
{
    char name[] = "numberwell";
    char* argv[] = {name, nullptr};
    QString title, focus, status;
    const int code = rtqt::run<frmMain>(1, argv, kProduct, [&](QWidget* window) {
        title = window->windowTitle();
        focus = window->focusWidget() ? window->focusWidget()->objectName() : QString();
        status = window->findChild<QLineEdit*>("txtInfo")->text();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(window->focusWidget(), &escape);
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(title, "Numberwell");
    EXPECT_EQ(focus, "txtDen");
    EXPECT_EQ(status, "Welcome!");
}
