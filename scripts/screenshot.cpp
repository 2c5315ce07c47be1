// Renders the converter window from the real widgets, with a value typed in,
// to a PNG for the README. Runs under the offscreen platform; no display needed.
#include "frmMain.h"
#include "product.h"
#include "qthost.h"

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: nw_screenshot OUT.png\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    int one = 1;
    return rtqt::run<frmMain>(one, argv, kProduct, [out](QWidget* window) {
        if (auto* den = window->findChild<QLineEdit*>(QStringLiteral("txtDen")))
            QTest::keyClicks(den, QStringLiteral("65"));
        const bool saved = window->grab().save(out, "PNG");
        QCoreApplication::exit(saved ? 0 : 1);
    });
}
