// The program's own start-up function, offscreen: the converter window comes
// up with its greeting and the focus in the decimal field, and Escape there
// ends the program with exit code 0.
#include "frmMain.h"
#include "product.h"
#include "qthost.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

TEST(Startup, TheConverterOpensGreetingWithTheFocusInDenaryAndEscapeEndsItWithCodeZero)
{
    char name[] = "numberwell";
    char* argv[] = {name, nullptr};
    QString focus, status;
    const int code = rtqt::run(1, argv, kProduct, [&](rt::Application& app) -> rt::Form& {
        auto& f = app.defaultInstance<frmMain>();
        // Once the event loop runs, the window is up.
        QTimer::singleShot(0, [&] {
            QWidget* top = static_cast<rtqt::QtHost&>(app.host()).window(f);
            QWidget* w = top ? top->focusWidget() : nullptr;
            if (!w)
                return QCoreApplication::exit(3);
            focus = w->objectName();
            status = top->findChild<QLineEdit*>("txtInfo")->text();
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(w, &escape);
        });
        return f;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(focus, "txtDen");
    EXPECT_EQ(status, "Welcome!");
}
