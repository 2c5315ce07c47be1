// The floor for numberwell.exe's start-up: a bare Win32 window with the
// converter window's controls, made directly with CreateWindowExW: the same
// classes, styles, z-order, geometry, fonts, icon and status colour at 96 dpi.
// Only the process settings (DPI awareness, version 6 of the common controls)
// and the icon's loading come from the binding; there is no forms runtime.
// The same hook as the program's probe reports its first painted frame.
#include "desktop.h"
#include "first_frame_win32.h"

#include <string>

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
constexpr COLORREF kStatusColour = RGB(192, 255, 192);

HWND status = nullptr;
HBRUSH statusBrush = nullptr;
WNDPROC editProc = nullptr;

// The status line's colours, for its EDIT and the STATIC inside it.
LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    const auto from = reinterpret_cast<HWND>(lp);
    if (msg == WM_CTLCOLORSTATIC && (from == status || GetParent(from) == status)) {
        const auto dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, RGB(0, 0, 0)); // what reads best on the light green
        SetBkColor(dc, kStatusColour);
        return reinterpret_cast<LRESULT>(statusBrush);
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// The STATIC asks its parent, the EDIT.
LRESULT CALLBACK statusProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CTLCOLORSTATIC)
        return proc(GetParent(hwnd), msg, wp, lp);
    return CallWindowProcW(editProc, hwnd, msg, wp, lp);
}

HWND child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, DWORD ex, RECT r,
           int id, HFONT font)
{
    HWND h = CreateWindowExW(
        ex, cls, text, style, r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (font)
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return h;
}

} // namespace

int main()
{
    bench::started();
    const rtwin::ProcessSettings settings; // the program's own, shared
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    statusBrush = CreateSolidBrush(kStatusColour);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"bare";
    RegisterClassExW(&wc);

    RECT frame{0, 0, 422, 143};
    AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    HWND top = CreateWindowExW(0, L"bare", L"Numberwell", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                               frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    const auto icon = [](int size) { return reinterpret_cast<LPARAM>(rtwin::programIcon(size)); };
    SendMessageW(top, WM_SETICON, ICON_BIG, icon(GetSystemMetrics(SM_CXICON)));
    SendMessageW(top, WM_SETICON, ICON_SMALL, icon(GetSystemMetrics(SM_CXSMICON)));

    // In tab order, each field after the hidden label that names it for
    // screen readers; the frames last, below the fields, in their tab order.
    struct Placed {
        const wchar_t* text; // a field's name, a frame's caption
        RECT at;
    };
    const Placed fields[] = {{L"Denary", {16, 16, 201, 41}},
                             {L"Hex", {16, 72, 201, 97}},
                             {L"Ascii", {224, 16, 409, 41}},
                             {L"Binary", {224, 72, 409, 97}}};
    int id = 100;
    HWND first = nullptr;
    for (const auto& f : fields) {
        child(top, L"STATIC", f.text, WS_CHILD | SS_NOPREFIX, 0, {}, 0, nullptr);
        HWND h = child(top, L"EDIT", L"", kChild | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
                       f.at, id++, font);
        if (!first)
            first = h;
    }
    child(top, L"BUTTON", L"About", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0, {368, 112, 417, 137},
          id++, font);
    child(top, L"STATIC", L"Status", WS_CHILD | SS_NOPREFIX, 0, {}, 0, nullptr);
    status =
        child(top, L"EDIT", L"Welcome!", kChild | WS_CLIPCHILDREN | ES_AUTOHSCROLL | ES_READONLY,
              WS_EX_CLIENTEDGE, {8, 112, 361, 137}, id++, font);
    editProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(status, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&statusProc)));
    RECT text{};
    SendMessageW(status, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
    child(status, L"STATIC", L"Welcome!", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX,
          0, text, 0, font);
    const Placed frames[] = {{L"Denary", {8, 0, 209, 49}},
                             {L"Binary", {216, 56, 417, 105}},
                             {L"Hex", {8, 56, 209, 105}},
                             {L"Ascii", {216, 0, 417, 49}}};
    for (const auto& f : frames)
        child(top, L"BUTTON", f.text, kChild | BS_GROUPBOX, 0, f.at, id++, font);

    // Centred on the work area, as the program opens.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(top, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    SetWindowPos(top, nullptr,
                 work.left + (work.right - work.left - (frame.right - frame.left)) / 2,
                 work.top + (work.bottom - work.top - (frame.bottom - frame.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(top, SW_SHOW);
    SetForegroundWindow(top);
    SetFocus(first);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
