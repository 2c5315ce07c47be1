// The program's own start-up function, offscreen: the converter window comes
// up with its greeting and the focus in the decimal field.
#include "frmMain.h"
#include "qthost.h"

#include <QApplication>
#include <QLineEdit>

#include <gtest/gtest.h>

TEST(Startup, FirstFrameShowsTheConverterWindow)
{
    char name[] = "numberwell";
    char* argv[] = {name, nullptr};
    QString title, focus, status;
    const int code = rtqt::run<frmMain>(1, argv, [&](QWidget* window) {
        title = window->windowTitle();
        focus = window->focusWidget() ? window->focusWidget()->objectName() : QString();
        status = window->findChild<QLineEdit*>("txtInfo")->text();
        QCoreApplication::exit(7);
    });
    EXPECT_EQ(code, 7);
    EXPECT_EQ(title, "Numberwell");
    EXPECT_EQ(focus, "txtDen");
    EXPECT_EQ(status, "Welcome!");
}
