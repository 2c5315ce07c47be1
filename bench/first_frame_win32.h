// What both Windows start-up probes do: note when main() starts, watch from
// outside the window's own code for its first painted frame, and then print
// how long after the process's creation and after main() started that was,
// the wall clock, and the peak working set so far, and leave at once. Under
// Wine the process is created once Wine's loader has reached its server, so
// the first figure leaves Wine's own start-up out; the wall clock lets the
// caller measure from exec as well.
// With NW_PROBE_DESCRIBE set, a probe prints its window's controls instead,
// so that the two probes can be checked to show the same window.
#pragma once

#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace bench {

inline void write(const std::string& text)
{
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()),
              &written, nullptr);
}

inline unsigned long long ticks(const FILETIME& t) // 100 ns since 1601
{
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

inline std::string narrow(const wchar_t* text)
{
    std::string out;
    for (; *text; ++text)
        out += *text < 0x80 ? static_cast<char>(*text) : '?';
    return out;
}

inline FILETIME& mainStarted()
{
    static FILETIME t{};
    return t;
}

[[noreturn]] inline void firstFrame(HWND top);

// The hook's own message, posted behind a window's first WM_PAINT.
constexpr WPARAM kPainted = 0x4E57;

// Every message this thread takes from its queue passes here before it is
// dispatched. A top-level window's first WM_PAINT has a message of the
// hook's own posted behind it, which is taken once that WM_PAINT is over;
// the controls' own WM_PAINTs still pending are then painted at once, so the
// frame reported is whole.
inline LRESULT CALLBACK watch(int code, WPARAM removed, LPARAM lp)
{
    static HWND painting = nullptr;
    const auto* msg = reinterpret_cast<const MSG*>(lp);
    if (code == HC_ACTION && removed == PM_REMOVE) {
        if (!painting && msg->message == WM_PAINT && msg->hwnd &&
            GetAncestor(msg->hwnd, GA_ROOT) == msg->hwnd) {
            painting = msg->hwnd;
            PostMessageW(painting, WM_NULL, kPainted, 0);
        } else if (painting && msg->message == WM_NULL && msg->wParam == kPainted) {
            RedrawWindow(painting, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            firstFrame(painting);
        }
    }
    return CallNextHookEx(nullptr, code, removed, lp);
}

// The first thing main() does.
inline void started()
{
    GetSystemTimePreciseAsFileTime(&mainStarted());
    SetWindowsHookExW(WH_GETMESSAGE, watch, nullptr, GetCurrentThreadId());
}

// The window's controls in z-order, with everything that decides how they look.
inline std::string describe(HWND top)
{
    std::string out;
    char line[512];
    RECT client{};
    GetClientRect(top, &client);
    std::snprintf(line, sizeof line, "window style=%08lx ex=%08lx client=%ldx%ld icon=%d\n",
                  static_cast<unsigned long>(GetWindowLongPtrW(top, GWL_STYLE)),
                  static_cast<unsigned long>(GetWindowLongPtrW(top, GWL_EXSTYLE)), client.right,
                  client.bottom, SendMessageW(top, WM_GETICON, ICON_SMALL, 0) != 0);
    out += line;
    for (HWND c = GetWindow(top, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[64]{}, text[128]{};
        GetClassNameW(c, cls, 64);
        GetWindowTextW(c, text, 128);
        RECT r{};
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&r), 2);
        LOGFONTW font{};
        if (auto f = reinterpret_cast<HFONT>(SendMessageW(c, WM_GETFONT, 0, 0)))
            GetObjectW(f, sizeof font, &font);
        std::snprintf(line, sizeof line,
                      "%s style=%08lx ex=%08lx at=%ld,%ld,%ld,%ld text='%s' font='%s' %ld %ld\n",
                      narrow(cls).c_str(),
                      static_cast<unsigned long>(GetWindowLongPtrW(c, GWL_STYLE)),
                      static_cast<unsigned long>(GetWindowLongPtrW(c, GWL_EXSTYLE)), r.left, r.top,
                      r.right, r.bottom, narrow(text).c_str(), narrow(font.lfFaceName).c_str(),
                      font.lfHeight, font.lfWeight);
        out += line;
    }
    return out;
}

[[noreturn]] inline void firstFrame(HWND top)
{
    FILETIME now{}, created{}, exited{}, kernel{}, user{};
    GetSystemTimePreciseAsFileTime(&now);
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    if (std::getenv("NW_PROBE_DESCRIBE")) {
        write(describe(top));
    } else {
        constexpr unsigned long long kUnixEpoch = 116444736000000000ULL; // in ticks
        char line[128];
        // microseconds since creation and since main(), Unix time in ns,
        // peak working set in KiB
        std::snprintf(line, sizeof line, "%llu %llu %llu %llu\n",
                      (ticks(now) - ticks(created)) / 10, (ticks(now) - ticks(mainStarted())) / 10,
                      (ticks(now) - kUnixEpoch) * 100,
                      static_cast<unsigned long long>(memory.PeakWorkingSetSize / 1024));
        write(line);
    }
    TerminateProcess(GetCurrentProcess(), 0);
    std::_Exit(0);
}

} // namespace bench
