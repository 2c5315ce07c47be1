// A scripted session of the real program, for valgrind: the program's own
// start-up, then real key and mouse events into its widgets (typing in all
// four fields, the status line's timer, About opened and closed twice),
// ending with Escape in an empty field. Prints the fields after each step;
// exits 0 only when the program ended itself.
#include "frmMain.h"
#include "product.h"
#include "qthost.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

constexpr int kStepMs = 50;
constexpr int kGiveUpMs = 180000;
constexpr int kGaveUp = 3;

QWidget* mainWindow = nullptr;

template <class W = QLineEdit> W* find(const char* name)
{
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* w = top->findChild<W*>(QString::fromLatin1(name)))
            return w;
    return nullptr;
}

void key(QWidget* w, int code, const QString& text = {})
{
    QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyPress, code, Qt::NoModifier, text));
    QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyRelease, code, Qt::NoModifier, text));
}

void type(const char* field, const char* keys)
{
    QLineEdit* w = find(field);
    w->setFocus(Qt::OtherFocusReason);
    for (const char* k = keys; *k; ++k) {
        switch (*k) {
        case '\b':
            key(w, Qt::Key_Backspace);
            break;
        case '\r':
            key(w, Qt::Key_Return, QStringLiteral("\r"));
            break;
        case '\x1b':
            key(w, Qt::Key_Escape, QStringLiteral("\x1b"));
            break;
        default:
            key(w, Qt::Key_unknown, QString(QChar::fromLatin1(*k)));
        }
    }
}

void click(const char* button)
{
    QPushButton* b = find<QPushButton>(button);
    const QPointF at = QRectF(b->rect()).center();
    const QPointF global = b->mapToGlobal(at);
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(
            b, new QMouseEvent(type, at, global, Qt::LeftButton,
                               type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                               Qt::NoModifier));
}

void show(const char* step)
{
    std::printf("%-22s den=%-4s ascii=%-2s hex=%-3s bin=%-9s about=%-7s %s\n", step,
                qPrintable(find("txtDen")->text()), qPrintable(find("txtASCII")->text()),
                qPrintable(find("txtHex")->text()), qPrintable(find("txtBin")->text()),
                find<QPushButton>("cmdOK") ? "open" : "closed",
                qPrintable(find("txtInfo")->text()));
    std::fflush(stdout);
}

struct Step {
    const char* name;
    std::function<void()> act;
    int waitMs = kStepMs; // before the next step
};

// The status timer ticks every 2000 ms: one step waits it out.
const std::vector<Step> steps = {
    {"decimal 255", [] { type("txtDen", "255"); }},
    {"decimal 300 Enter", [] { type("txtDen", "\b300\r"); }},
    {"decimal 7 Enter", [] { type("txtDen", "\b7\r"); }},
    {"character z", [] { type("txtASCII", "z"); }},
    {"hex 4a", [] { type("txtHex", "\b4a"); }},
    {"hex zz", [] { type("txtHex", "\bzz"); }},
    {"status timer", [] {}, 2500},
    {"binary 01000001", [] { type("txtBin", "\b01000001"); }},
    {"binary 101 Enter", [] { type("txtBin", "\b101\r"); }},
    {"About", [] { click("cmdAbout"); }},
    {"About: OK", [] { click("cmdOK"); }},
    {"About", [] { click("cmdAbout"); }},
    {"back to the converter", [] { mainWindow->activateWindow(); }},
    {"Backspace", [] { type("txtDen", "\b"); }},
    {"Escape", [] { type("txtDen", "\x1b"); }},
};

void runStep(std::size_t i)
{
    if (i > 0)
        show(steps[i - 1].name);
    if (i == steps.size())
        return;
    steps[i].act();
    QTimer::singleShot(steps[i].waitMs, mainWindow, [i] { runStep(i + 1); });
}

} // namespace

int main(int argc, char** argv)
{
    return rtqt::run(argc, argv, kProduct, [](rt::Application& app) -> rt::Form& {
        auto& f = app.defaultInstance<frmMain>();
        // The steps start once the event loop runs, with the window up.
        QTimer::singleShot(0, [&app, &f] {
            mainWindow = static_cast<rtqt::QtHost&>(app.host()).window(f);
            QTimer::singleShot(kGiveUpMs, mainWindow, [] {
                std::fprintf(stderr, "nw_session: the program did not end on Escape\n");
                std::_Exit(kGaveUp);
            });
            runStep(0);
        });
        return f;
    });
}
