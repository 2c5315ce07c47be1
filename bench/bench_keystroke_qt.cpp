// From a real key event, sent to the field's widget, to all four fields
// repainted, under the offscreen platform. The Backspace that resets the
// window between iterations runs outside the clock.
#include "frmMain.h"
#include "product.h"
#include "qthost.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <set>

namespace {

using Clock = std::chrono::steady_clock;

// Notes which of the watched widgets have painted since the last reset.
class PaintWatch : public QObject {
public:
    void watch(QWidget* w)
    {
        watched_.insert(w);
        w->installEventFilter(this);
    }
    void reset() { painted_.clear(); }
    bool allPainted() const { return painted_.size() == watched_.size(); }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            painted_.insert(o);
        return false;
    }

private:
    std::set<QObject*> watched_;
    std::set<QObject*> painted_;
};

struct Session {
    rtqt::QtHost host;
    rt::Application app{host, kProduct};
    frmMain& f = app.defaultInstance<frmMain>();
    PaintWatch paints;

    Session()
    {
        app.dispatch([this] { f.show(); });
        for (rt::TextBox* box : {&f.txtDen, &f.txtASCII, &f.txtHex, &f.txtBin})
            paints.watch(host.control(*box));
        settle();
    }
    QWidget* widget(rt::TextBox& box) const { return host.control(box); }

    static void key(QWidget* w, int code, const QString& text)
    {
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
        QApplication::sendEvent(w, &release);
    }
    void settle()
    {
        QApplication::processEvents();
        QApplication::processEvents();
        paints.reset();
    }
    // Spins the event loop until every field has painted; false if some never does.
    bool waitForPaints()
    {
        for (int i = 0; i < 10000 && !paints.allPainted(); ++i)
            QApplication::processEvents();
        return paints.allPainted();
    }
};

std::unique_ptr<Session> session;

void realKey(benchmark::State& state, rt::TextBox frmMain::*field, const char* before, int code,
             const char* text)
{
    Session& s = *session;
    QWidget* w = s.widget(s.f.*field);
    w->setFocus();
    bool ok = true;
    for (auto _ : state) {
        Session::key(s.widget(s.f.txtDen), Qt::Key_Backspace, QStringLiteral("\b"));
        for (const char* c = before; *c; ++c)
            Session::key(w, Qt::Key_unknown, QString(QChar(*c)));
        s.settle();
        const auto t0 = Clock::now();
        Session::key(w, code, QString::fromLatin1(text));
        ok = s.waitForPaints() && ok;
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
    }
    if (!ok)
        state.SkipWithError("a field never repainted");
}

void BM_RealKey_DecimalDigit(benchmark::State& st)
{
    realKey(st, &frmMain::txtDen, "6", Qt::Key_5, "5");
}
void BM_RealKey_Character(benchmark::State& st)
{
    realKey(st, &frmMain::txtASCII, "", Qt::Key_A, "A");
}
void BM_RealKey_EighthBinaryDigit(benchmark::State& st)
{
    realKey(st, &frmMain::txtBin, "0100000", Qt::Key_1, "1");
}
void BM_RealKey_SecondHexDigit(benchmark::State& st)
{
    realKey(st, &frmMain::txtHex, "4", Qt::Key_A, "a");
}
void BM_RealKey_Backspace(benchmark::State& st)
{
    realKey(st, &frmMain::txtDen, "65", Qt::Key_Backspace, "\b");
}

} // namespace

BENCHMARK(BM_RealKey_DecimalDigit)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RealKey_Character)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RealKey_EighthBinaryDigit)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RealKey_SecondHexDigit)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RealKey_Backspace)->UseManualTime()->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    // Offscreen unless told otherwise (xcb under Xvfb, say).
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication qapp(argc, argv);
    benchmark::Initialize(&argc, argv);
    session = std::make_unique<Session>();
    benchmark::RunSpecifiedBenchmarks();
    session.reset();
    benchmark::Shutdown();
    return 0;
}
