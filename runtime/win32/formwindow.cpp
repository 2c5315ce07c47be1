#include "formwindow.h"

#include <algorithm>
#include <climits>
#include <initializer_list>
#include <stdexcept>
#include <utility>

namespace rtwin {
namespace {

constexpr wchar_t kClass[] = L"rtwin.Form";
// Fixed size: no sizing border, nothing to maximise.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExStyle = 0;
// Posted to a closed window: destroy it now that its messages are over.
// Above WM_USER's range, which dialog navigation uses for DM_* messages.
constexpr UINT kDestroy = WM_APP + 1;
constexpr int kFirstControlId = 100; // clear of IDOK and IDCANCEL

void registerClass(WNDPROC proc)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), kClass, &wc))
        return;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClass;
    RegisterClassExW(&wc);
}

// Dialog navigation and screen readers follow the z-order, so controls are
// created in tab-index order, those outside it after. Frames go last, below
// the fields they frame, or they would paint over them.
std::vector<rt::Control*> zOrder(const rt::Form& form)
{
    std::vector<rt::Control*> order = form.controls();
    const auto key = [](const rt::Control* c) {
        return std::pair(c->kind() == rt::Control::Kind::Frame,
                         c->tabIndex() < 0 ? INT_MAX : c->tabIndex());
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](const rt::Control* a, const rt::Control* b) { return key(a) < key(b); });
    return order;
}

rt::TextMetrics metricsIn(FontSet& fonts)
{
    return {[&fonts](const rt::Frame&) { return fonts.lineHeight({}); },
            [&fonts](const rt::Label& label) {
                return fonts.textWidth(label.font(), toUtf16(label.caption()));
            },
            [&fonts](const rt::Label& label) { return fonts.lineHeight(label.font()); }};
}

} // namespace

FormWindow::FormWindow(rt::Form& form, std::function<void(FormWindow&)> destroyed)
    : form_(form), destroyed_(std::move(destroyed))
{
    registerClass(&FormWindow::proc);
    if (!CreateWindowExW(kExStyle, kClass, toUtf16(form.caption()).c_str(), kStyle, CW_USEDEFAULT,
                         CW_USEDEFAULT, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), this))
        throw std::runtime_error("cannot create the window " + form.name());

    int id = kFirstControlId;
    for (rt::Control* c : zOrder(form)) {
        if (c->kind() == rt::Control::Kind::Timer)
            timers_.push_back(static_cast<rt::Timer*>(c));
        else if (auto view = makeView(*c, hwnd_, id++))
            views_.push_back(std::move(view));
    }
    layOut(windowDpi(hwnd_));
}

FormWindow::~FormWindow()
{
    for (const auto& view : views_)
        view->detach();
    // Its last messages go to the default procedure, not to a window half gone.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
    for (HICON icon : {bigIcon_, smallIcon_})
        if (icon)
            DestroyIcon(icon);
}

HWND FormWindow::control(const rt::Control& control) const
{
    for (const auto& view : views_)
        if (&view->model() == &control)
            return view->handle();
    return nullptr;
}

void FormWindow::show()
{
    const bool first = !IsWindowVisible(hwnd_);
    if (first) {
        // Centred on the work area of the monitor it opens on.
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor);
        RECT r{};
        GetWindowRect(hwnd_, &r);
        const RECT& work = monitor.rcWork;
        SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - (r.right - r.left)) / 2,
                     work.top + (work.bottom - work.top - (r.bottom - r.top)) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(hwnd_, SW_SHOW);
        for (const auto& view : views_)
            view->shown();
    }
    SetForegroundWindow(hwnd_);
    // The first focus is given here: activation may come later, or not at all
    // when another program keeps the foreground.
    if (const rt::Control* focused = form_.focused(); first && focused)
        if (HWND h = control(*focused))
            SetFocus(h);
}

void FormWindow::focus(const rt::Control& target)
{
    // An inactive window takes it up when it is next activated.
    if (GetActiveWindow() == hwnd_)
        if (HWND h = control(target))
            SetFocus(h);
}

void FormWindow::timerChanged(rt::Timer& timer)
{
    const auto it = std::find(timers_.begin(), timers_.end(), &timer);
    if (it == timers_.end())
        return;
    const auto id = static_cast<UINT_PTR>(it - timers_.begin()) + 1;
    // Setting a running timer again restarts its period.
    if (timer.running() && !closed_)
        SetTimer(hwnd_, id, static_cast<UINT>(timer.interval()), nullptr);
    else
        KillTimer(hwnd_, id);
}

void FormWindow::close()
{
    if (closed_)
        return;
    closed_ = true;
    for (const auto& view : views_)
        view->detach();
    ShowWindow(hwnd_, SW_HIDE);
    PostMessageW(hwnd_, kDestroy, 0, 0);
}

void FormWindow::restoreFocus()
{
    if (const rt::Control* focused = form_.focused())
        if (HWND h = control(*focused))
            SetFocus(h);
}

LRESULT CALLBACK FormWindow::proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self ? self->message(msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT FormWindow::message(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_COMMAND:
        if (View* view = View::of(reinterpret_cast<HWND>(lp)); view && !closed_) {
            view->command(HIWORD(wp));
            return 0;
        }
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (View* view = View::of(reinterpret_cast<HWND>(lp)))
            if (HBRUSH brush = view->color(reinterpret_cast<HDC>(wp)))
                return reinterpret_cast<LRESULT>(brush);
        break;
    case WM_TIMER:
        if (wp >= 1 && wp <= timers_.size() && !closed_)
            timers_[wp - 1]->tick();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE || closed_)
            break;
        form_.userActivate();
        // The control that had the focus gets it back, not the window.
        if (!closed_ && !HIWORD(wp))
            restoreFocus();
        return 0;
    case WM_SETFOCUS:
        restoreFocus();
        return 0;
    case WM_CLOSE:
        if (!closed_)
            form_.userClose();
        return 0;
    case WM_SETTINGCHANGE:
        if (wp != SPI_SETHIGHCONTRAST)
            break;
        [[fallthrough]];
    case WM_SYSCOLORCHANGE:
        // High contrast on or off, or other colours: every control paints anew.
        RedrawWindow(hwnd_, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        break;
    case WM_GETMINMAXINFO:
        // Fixed size: the frame may not hold out for a larger one.
        if (size_.cx > 0)
            reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = {size_.cx, size_.cy};
        break;
    case WM_GETDPISCALEDSIZE:
        *reinterpret_cast<SIZE*>(lp) = sizeAt(LOWORD(wp));
        return TRUE;
    case WM_DPICHANGED: {
        const auto* suggested = reinterpret_cast<const RECT*>(lp);
        layOut(LOWORD(wp), POINT{suggested->left, suggested->top});
        return 0;
    }
    case kDestroy:
        destroyed_(*this); // deletes this window
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

// Fonts, control places, icons and the window's size, all at one DPI.
void FormWindow::layOut(int dpi, std::optional<POINT> at)
{
    auto fonts = std::make_unique<FontSet>(dpi);
    auto layout = std::make_unique<rt::Layout>(form_, dpi, metricsIn(*fonts));
    HICON big = programIcon(systemMetric(SM_CXICON, dpi));
    HICON small = programIcon(systemMetric(SM_CXSMICON, dpi));
    const Placement placement{*layout, *fonts, big};
    for (const auto& view : views_)
        view->place(placement);
    if (form_.icon() == rt::Picture::ProgramIcon) {
        SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
        SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    }
    // The old fonts and icons go once nothing shows them any more.
    std::swap(fonts, fonts_);
    std::swap(layout, layout_);
    for (HICON old : {std::exchange(bigIcon_, big), std::exchange(smallIcon_, small)})
        if (old)
            DestroyIcon(old);
    layout.reset();

    fitClient(dpi, at);
}

// Sizes the window so that its client area is exactly the layout's: first by
// the system's frame metrics for `dpi`, then by what the frame really takes,
// should the two differ.
void FormWindow::fitClient(int dpi, std::optional<POINT> at)
{
    const int cx = layout_->clientWidth(), cy = layout_->clientHeight();
    size_ = windowSize({cx, cy}, kStyle, kExStyle, dpi);
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (at ? 0 : SWP_NOMOVE);
    for (int pass = 0;; ++pass, flags |= SWP_NOMOVE) {
        SetWindowPos(hwnd_, nullptr, at ? at->x : 0, at ? at->y : 0, size_.cx, size_.cy, flags);
        RECT client{};
        GetClientRect(hwnd_, &client);
        if ((client.right == cx && client.bottom == cy) || pass == 1)
            break;
        size_.cx += cx - client.right;
        size_.cy += cy - client.bottom;
    }
}

// The window size whose client area holds the layout at `dpi`. Told to the
// system before a DPI change, so its suggested rectangle fits it.
SIZE FormWindow::sizeAt(int dpi) const
{
    FontSet fonts(dpi);
    const rt::Layout layout(form_, dpi, metricsIn(fonts));
    return windowSize({layout.clientWidth(), layout.clientHeight()}, kStyle, kExStyle, dpi);
}

} // namespace rtwin
