// Renders the converter window from the real widgets, with a value typed in,
// to a PNG for the README. Runs under the offscreen platform; no display needed.
#include "frmMain.h"
#include "product.h"
#include "qthost.h"

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: nw_screenshot OUT.png\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    int one = 1;
    return rtqt::run(one, argv, kProduct, [out](rt::Application& app) -> rt::Form& {
        auto& f = app.defaultInstance<frmMain>();
        // Once the event loop runs, the window is up.
        QTimer::singleShot(0, [&app, &f, out] {
            auto& host = static_cast<rtqt::QtHost&>(app.host());
            QTest::keyClicks(host.control(f.txtDen), QStringLiteral("65"));
            if (!host.window(f)->grab().save(out, "PNG")) {
                std::fprintf(stderr, "nw_screenshot: cannot write %s\n", qPrintable(out));
                std::_Exit(1);
            }
            QCoreApplication::exit();
        });
        return f;
    });
}
