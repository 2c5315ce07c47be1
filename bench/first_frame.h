// What both start-up probes do once a top-level window has painted its first
// frame: print the monotonic clock and the peak resident set so far, then
// leave at once (tearing down is not part of start-up). Each probe installs
// the watch with Q_COREAPP_STARTUP_FUNCTION(watchFirstFrame), so the
// program's own start-up runs unchanged.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace bench {

inline long peakRssKb()
{
    long kb = -1;
    if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, "VmHWM:", 6) == 0)
                kb = std::strtol(line + 6, nullptr, 10);
        std::fclose(f);
    }
    return kb;
}

[[noreturn]] inline void firstFrame()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("%lld %ld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec,
                peakRssKb());
    std::fflush(stdout);
    std::_Exit(0);
}

// The first paint of a top-level window; its children paint in the same
// pass, so the frame is whole once the event loop is back.
class FirstPaint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow())
            QTimer::singleShot(0, [] { firstFrame(); });
        return false;
    }
};

inline void watchFirstFrame() { qApp->installEventFilter(new FirstPaint); }

} // namespace bench
