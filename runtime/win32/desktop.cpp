#include "desktop.h"

#include <commctrl.h>
#include <ntsecapi.h>

#include <cmath>
#include <cstdint>
#include <string>

// The stack protector's canary and what ends the process when a check
// fails. The compiler's own runtime would seed the canary through the old
// CryptoAPI, which loads a cryptographic provider at every start: tens of
// milliseconds, hundreds under Wine. RtlGenRandom gives as good a seed at
// once, and failing fast is how Windows ends a process whose stack is smashed.
extern "C" {
std::uintptr_t __stack_chk_guard = 0x595e9fbd94fda766; // until seeded, before main()

[[noreturn]] static void failFast(unsigned code)
{
    __asm__ volatile("int $0x29" : : "c"(code)); // __fastfail
    __builtin_unreachable();
}

[[noreturn]] void __stack_chk_fail() { failFast(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE); }
[[noreturn]] void __chk_fail() { failFast(FAST_FAIL_RANGE_CHECK_FAILURE); } // fortified calls
}

namespace {
__attribute__((constructor, no_stack_protector)) void seedCanary()
{
    RtlGenRandom(&__stack_chk_guard, sizeof __stack_chk_guard);
}
} // namespace

namespace rtwin {
namespace {

// A function the running system may lack; nullptr where it does.
template <class Fn> Fn* lookup(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<Fn*>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

template <class Fn> Fn* user32(const char* name)
{
    return lookup<Fn>(GetModuleHandleW(L"user32.dll"), name);
}

int screenDpi()
{
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

LOGFONTW messageFont(int dpi)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    using ForDpi = BOOL WINAPI(UINT, UINT, PVOID, UINT, UINT);
    if (auto* forDpi = user32<ForDpi>("SystemParametersInfoForDpi");
        forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi))
        return metrics.lfMessageFont;
    LOGFONTW font{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        font = metrics.lfMessageFont;
    else
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    // Sized for the system's DPI, not this window's.
    font.lfHeight = MulDiv(font.lfHeight, dpi, screenDpi());
    return font;
}

// Measures in a font on the screen's device context.
template <class F> auto measure(HFONT font, F f)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    const auto result = f(dc);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return result;
}

void enableDpiAwareness()
{
    using SetContext = BOOL WINAPI(DPI_AWARENESS_CONTEXT);
    if (auto* set = user32<SetContext>("SetProcessDpiAwarenessContext");
        set && set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2))
        return;
    using SetAwareness = HRESULT WINAPI(int);
    constexpr int kPerMonitor = 2; // PROCESS_PER_MONITOR_DPI_AWARE
    if (auto* set = lookup<SetAwareness>(LoadLibraryW(L"shcore.dll"), "SetProcessDpiAwareness");
        set && SUCCEEDED(set(kPerMonitor)))
        return;
    SetProcessDPIAware();
}

} // namespace

int windowDpi(HWND hwnd)
{
    using ForWindow = UINT WINAPI(HWND);
    if (auto* forWindow = user32<ForWindow>("GetDpiForWindow"))
        if (const UINT dpi = forWindow(hwnd))
            return static_cast<int>(dpi);
    return screenDpi();
}

int systemMetric(int index, int dpi)
{
    using ForDpi = int WINAPI(int, UINT);
    if (auto* forDpi = user32<ForDpi>("GetSystemMetricsForDpi"))
        return forDpi(index, dpi);
    return MulDiv(GetSystemMetrics(index), dpi, screenDpi());
}

SIZE windowSize(SIZE client, DWORD style, DWORD exStyle, int dpi)
{
    RECT r{0, 0, client.cx, client.cy};
    using ForDpi = BOOL WINAPI(LPRECT, DWORD, BOOL, DWORD, UINT);
    auto* forDpi = user32<ForDpi>("AdjustWindowRectExForDpi");
    if (!forDpi || !forDpi(&r, style, FALSE, exStyle, dpi))
        AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return {r.right - r.left, r.bottom - r.top};
}

HICON programIcon(int size)
{
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON,
                                         size, size, LR_DEFAULTCOLOR));
}

// Weak, so that the tests can stand in for the system's answer: Wine cannot
// switch high contrast on. (Its one caller is in this file: the linker here
// leaves a weak symbol unresolved from another member of the library.)
__attribute__((weak)) bool highContrast()
{
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

bool ownColors(const std::optional<rt::Rgb>& background) { return background && !highContrast(); }

// ---- FontSet

FontSet::FontSet(int dpi) : dpi_(dpi), base_(messageFont(dpi)) {}

FontSet::~FontSet()
{
    for (const auto& [key, font] : fonts_)
        DeleteObject(font);
}

HFONT FontSet::font(const rt::Font& wanted)
{
    // Both faces are the message font's: it is the system's sans-serif face.
    const auto key = std::tuple(wanted.pointSize, wanted.bold);
    if (const auto it = fonts_.find(key); it != fonts_.end())
        return it->second;
    LOGFONTW lf = base_;
    if (wanted.pointSize > 0)
        lf.lfHeight = -static_cast<LONG>(std::lround(wanted.pointSize * dpi_ / 72.0));
    if (wanted.pointSize > 0 || wanted.bold)
        lf.lfWeight = wanted.bold ? FW_BOLD : FW_NORMAL;
    HFONT font = CreateFontIndirectW(&lf);
    fonts_[key] = font;
    return font;
}

int FontSet::lineHeight(const rt::Font& wanted)
{
    return measure(font(wanted), [](HDC dc) {
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        return static_cast<int>(tm.tmHeight);
    });
}

int FontSet::textWidth(const rt::Font& wanted, std::wstring_view text)
{
    return measure(font(wanted), [text](HDC dc) {
        SIZE size{};
        GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    });
}

// ---- ProcessSettings

ProcessSettings::ProcessSettings()
{
    enableDpiAwareness();
    // Version 6 of the common controls, from the manifest the system's shell
    // library carries; where it cannot be had, the classic controls serve.
    wchar_t dir[MAX_PATH];
    const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return;
    const std::wstring shell = std::wstring(dir, n) + L"\\shell32.dll";
    ACTCTXW request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = shell.c_str();
    request.lpResourceName = MAKEINTRESOURCEW(124);
    context_ = CreateActCtxW(&request);
    if (context_ == INVALID_HANDLE_VALUE)
        return;
    if (!ActivateActCtx(context_, &cookie_)) {
        ReleaseActCtx(context_);
        context_ = INVALID_HANDLE_VALUE;
        return;
    }
    // Loaded inside the context, so its controls are the ones registered.
    using Init = BOOL WINAPI(const INITCOMMONCONTROLSEX*);
    if (auto* init = lookup<Init>(LoadLibraryW(L"comctl32.dll"), "InitCommonControlsEx")) {
        const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
        init(&classes);
    }
}

ProcessSettings::~ProcessSettings()
{
    if (context_ == INVALID_HANDLE_VALUE)
        return;
    DeactivateActCtx(0, cookie_);
    ReleaseActCtx(context_);
}

} // namespace rtwin
