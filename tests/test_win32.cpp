// The Win32 binding under Wine: real controls driven by real messages through
// the host's own loop step, and what the controls show read back from them.
// The cascades themselves are covered headless (test_frmMain), the layout
// arithmetic toolkit-free (test_forms).
#include "desktop.h"
#include "frmAbout.h"
#include "frmMain.h"
#include "outcome.h"
#include "product.h"
#include "views.h"
#include "win32host.h"

#include <oleacc.h>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

// The tests' stand-in for the system's high-contrast setting, which Wine
// cannot switch on; the binding reads it in this one function.
static bool highContrastOn = false;
bool rtwin::highContrast() { return highContrastOn; }

namespace {

std::wstring textOf(HWND hwnd)
{
    wchar_t text[512]{};
    return {text, static_cast<std::size_t>(GetWindowTextW(hwnd, text, 512))};
}

// The clipboard, through an EDIT of the system's own: `put` there, or what it holds.
std::wstring clipboard(const wchar_t* put = nullptr)
{
    static const HWND edit = CreateWindowExW(0, L"EDIT", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE,
                                             nullptr, nullptr, nullptr);
    SetWindowTextW(edit, put ? put : L"");
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, put ? WM_COPY : WM_PASTE, 0, 0);
    return textOf(edit);
}

// What a screen reader reads as the name of an object, as it finds it from an
// event: by default a window's own.
std::wstring nameOf(HWND hwnd, LONG object = OBJID_CLIENT, LONG child = CHILDID_SELF)
{
    IAccessible* acc = nullptr;
    VARIANT which{};
    BSTR name = nullptr;
    if (AccessibleObjectFromEvent(hwnd, object, child, &acc, &which) == S_OK) {
        acc->get_accName(which, &name);
        acc->Release();
    }
    const std::wstring got = name ? name : L"(no name)";
    SysFreeString(name);
    return got;
}

// The names of the live regions that changed, as a screen reader hears them.
std::vector<std::wstring> liveRegions;

void CALLBACK heard(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD)
{
    liveRegions.push_back(nameOf(hwnd, object, child));
}

// The host and what drives it: keys as the keyboard sends them, the loop pumped by hand.
struct Session : ::testing::Test {
    rtwin::Win32Host host;

    Session() { host.setErrorBoxes(false); }

    void pump()
    {
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);)
            host.process(msg);
    }

    // The loop as it runs, until `done` (or the test's time runs out).
    void pumpUntil(const std::function<bool()>& done)
    {
        for (MSG msg; !done() && GetMessageW(&msg, nullptr, 0, 0);)
            host.process(msg);
    }

    // A key pressed and released as the keyboard sends it, with a modifier
    // (VK_SHIFT, VK_CONTROL) held: down first, up last.
    void key(UINT_PTR vk, UINT_PTR held = 0)
    {
        for (const DWORD up : {0, KEYEVENTF_KEYUP})
            for (const UINT_PTR k : {up ? vk : held, up ? held : vk})
                if (k)
                    keybd_event(static_cast<BYTE>(k), 0, up, 0);
        pump();
    }

    // Digits, whose keys have their codes, and "\b" for Backspace.
    void type(HWND field, std::wstring_view keys)
    {
        SetFocus(field);
        for (const wchar_t c : keys)
            key(c == L'\b' ? VK_BACK : c);
    }
};

// The converter window, shown, with a screen reader listening for live-region
// changes from before it shows.
struct Converter : Session {
    HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr,
                        heard, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    rt::Application app{host, kProduct};
    frmMain& f = app.defaultInstance<frmMain>();

    void SetUp() override
    {
        liveRegions.clear();
        f.show();
        f.tmrEmptyFields.setEnabled(false); // the greeting stays for the length of a test
        pump();
    }
    ~Converter() override { UnhookWinEvent(hook); }
    HWND hwnd(const rt::Control& c) const { return host.control(c); }
};

// Focus starts in Denary and Tab follows the tab index, wrapping; each stop is
// named for screen readers by its frame or caption, never by its text. The
// status line is named too, and takes no focus, click or typing.
TEST_F(Converter, TabOrderNamesAndAStatusLineThatTakesNothing)
{
    EXPECT_EQ(GetFocus(), hwnd(f.txtDen));
    type(hwnd(f.txtDen), L"65");
    const std::pair<const rt::Control*, const wchar_t*> rows[] = {
        {&f.txtDen, L"Denary"}, {&f.txtHex, L"Hex"},     {&f.txtASCII, L"Ascii"},
        {&f.txtBin, L"Binary"}, {&f.cmdAbout, L"About"}, {&f.txtDen, L"Denary"},
    };
    for (const auto& [control, name] : rows) {
        EXPECT_EQ(GetFocus(), hwnd(*control)) << control->name();
        EXPECT_EQ(nameOf(hwnd(*control)), name);
        key(VK_TAB);
    }
    const HWND status = hwnd(f.txtInfo), focused = GetFocus();
    EXPECT_EQ(nameOf(status), L"Status");
    SetFocus(status);
    SendMessageW(status, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(status, WM_CHAR, 'x', 1);
    SendMessageW(status, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"x"));
    EXPECT_EQ(GetFocus(), focused);
    EXPECT_EQ(textOf(status), L"Welcome!");
}

// Each new message, and only that, is a live-region change of an object
// named by the message, which screen readers speak as it appears.
TEST_F(Converter, EachNewMessageIsALiveRegionChangeNamedByIt)
{
    const std::wstring error = L"Denary must be 0-255";
    const std::tuple<const char*, std::function<void()>, std::vector<std::wstring>> rows[] = {
        {"shown", [&] { pumpUntil([] { return !liveRegions.empty(); }); }, {L"Welcome!"}},
        {"typing_300", [&] { type(hwnd(f.txtDen), L"300"); }, {error}},
        {"the_same_again", [&] { type(hwnd(f.txtDen), L"\b256"); }, {}},
        {"cleared_by_the_timer", [&] { f.tmrEmptyFields.tick(); }, {}},
        {"again_once_cleared", [&] { type(hwnd(f.txtDen), L"\b999"); }, {error}},
    };
    for (const auto& [name, act, want] : rows) {
        act();
        pump();
        EXPECT_EQ(liveRegions, want) << name;
        liveRegions.clear();
    }
}

// Light green behind black text, unless the user asks for high contrast:
// then the system's window colours, from the moment the system says so.
TEST_F(Converter, StatusLinePaintsTheSystemsColoursUnderHighContrast)
{
    const HWND status = GetWindow(hwnd(f.txtInfo), GW_CHILD), top = host.window(f);
    const int elements[] = {COLOR_WINDOW, COLOR_WINDOWTEXT};
    const COLORREF saved[] = {GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT)};
    const COLORREF scheme[] = {RGB(0, 0, 64), RGB(255, 255, 0)}, green = RGB(192, 255, 192);
    const auto contrast = [&](bool on) {
        highContrastOn = on;
        SendMessageW(top, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    };
    const auto recolour = [&] {
        SetSysColors(2, elements, scheme); // which repaints every window at once
        SendMessageW(top, WM_SYSCOLORCHANGE, 0, 0);
    };
    const std::tuple<const char*, std::function<void()>, COLORREF, COLORREF> rows[] = {
        {"at_start", nullptr, green, RGB(0, 0, 0)},
        {"switched_on", [&] { contrast(true); }, saved[0], saved[1]},
        {"colours_changed", recolour, scheme[0], scheme[1]},
        {"switched_off", [&] { contrast(false); }, green, RGB(0, 0, 0)},
    };
    RECT r{};
    GetClientRect(status, &r);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(r.right, r.bottom, 1, 32, nullptr);
    SelectObject(dc, bitmap);
    for (const auto& [name, change, back, text] : rows) {
        if (change) {
            pump();
            ValidateRect(status, nullptr);
            change();
            EXPECT_TRUE(GetUpdateRect(status, nullptr, FALSE)) << name << ": painted anew";
        }
        // As it paints itself: its background, and any pixel in the text's colour.
        SendMessageW(status, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        bool found = false;
        for (int i = 0; i < r.right * r.bottom && !found; ++i)
            found = GetPixel(dc, i % r.right, i / r.right) == text;
        EXPECT_EQ(std::pair(GetPixel(dc, 1, 1), found), std::pair(back, true)) << name;
    }
    SetSysColors(2, elements, saved);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

// Pixels at 96 dpi from the model's twips (twips * 96 / 1440), each doubled
// at 192, before and after a change of DPI.
TEST_F(Converter, LaidOutInPixelsAtEitherDpiAndAfterAChange)
{
    const int start = rtwin::windowDpi(host.window(f));
    const char* wanted = std::getenv("NW_WINE_DPI"); // what the wrapper set
    ASSERT_EQ(start, wanted ? std::atoi(wanted) : 96);
    const std::pair<HWND, RECT> rows[] = {{host.window(f), {0, 0, 422, 143}},
                                          {hwnd(f.txtBin), {224, 72, 409, 97}},
                                          {hwnd(f.cmdAbout), {368, 112, 417, 137}}};
    for (const int dpi : {start, 288 - start}) {
        RECT suggested{10, 10, 20, 20}, r{};
        if (dpi != start)
            SendMessageW(host.window(f), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                         reinterpret_cast<LPARAM>(&suggested));
        for (const auto& [h, at96] : rows) {
            GetWindowRect(h, &r);
            MapWindowPoints(nullptr, host.window(f), reinterpret_cast<POINT*>(&r), 2);
            if (h == host.window(f))
                GetClientRect(h, &r);
            const int k = dpi / 96;
            const RECT want{at96.left * k, at96.top * k, at96.right * k, at96.bottom * k};
            EXPECT_TRUE(EqualRect(&r, &want))
                << dpi << ": " << r.left << ',' << r.top << ',' << r.right << ',' << r.bottom;
        }
    }
}

// About closes on OK by Enter or Space, from its title bar, or when the
// converter is activated, and then gives the focus back to the converter.
TEST_F(Converter, AboutClosesOnOkEnterSpaceTitleBarOrTheConverterActivated)
{
    auto& about = app.defaultInstance<frmAbout>();
    const std::tuple<const char*, std::function<void()>, bool> rows[] = {
        {"escape_does_nothing", [&] { key(VK_ESCAPE); }, false},
        {"enter_on_ok", [&] { key(VK_RETURN); }, true},
        {"space_on_ok", [&] { key(VK_SPACE); }, true},
        {"title_bar", [&] { PostMessageW(host.window(about), WM_SYSCOMMAND, SC_CLOSE, 0); }, true},
        {"converter_activated", [&] { SetForegroundWindow(host.window(f)); }, true},
    };
    type(hwnd(f.txtDen), L"65");
    for (const auto& [name, act, closes] : rows) {
        SendMessageW(hwnd(f.cmdAbout), BM_CLICK, 0, 0);
        pump();
        const HWND box = host.window(about);
        ASSERT_NE(box, nullptr) << name;
        EXPECT_EQ(GetFocus(), hwnd(about.cmdOK)) << name;
        act();
        pump();
        EXPECT_EQ(IsWindow(box) == FALSE, closes) << name << ": destroyed once its messages end";
        if (!closes)
            SendMessageW(hwnd(about.cmdOK), BM_CLICK, 0, 0);
        pump();
    }
    EXPECT_EQ(textOf(hwnd(f.txtDen)), L"65") << "the converter window is untouched";
    EXPECT_EQ(GetFocus(), hwnd(f.cmdAbout)) << "back on the button clicked last";
    EXPECT_FALSE(app.ended());
}

// ---- One field and two timers on a window of their own.

struct ProbeForm : rt::Form {
    explicit ProbeForm(rt::Application& app)
        : rt::Form(app, "Probe", "Probe", 3000, 1000, rt::Picture::None)
    {}
    rt::TextBox a{*this, "a", nullptr, {120, 120, 2000, 375}, 0};
    rt::Timer slow{*this, "slow", 600, false}, fast{*this, "fast", 100, false};
};

struct Probe : Session {
    rt::Application app{host, {}};
    ProbeForm& p = app.defaultInstance<ProbeForm>();
    std::string log; // the field's events: "k<code> " for KeyPress, "c " for Change

    void SetUp() override
    {
        p.show();
        pump();
        // (appended piece by piece: "k" + std::to_string(k) trips GCC 12's -Wrestrict)
        p.a.onKeyPress = [this](rt::Integer& k) {
            log.append("k").append(std::to_string(k)) += ' ';
        };
        p.a.onChange = [this] { log += "c "; };
    }
};

// Enabled again while it runs, a timer starts its period anew: the slow
// timer, enabled again by the fast one's tick, ticks a whole period after it.
TEST_F(Probe, EnablingARunningTimerStartsItsPeriodAnew)
{
    using clock = std::chrono::steady_clock;
    clock::time_point again, ticked;
    p.fast.onTimer = [&] {
        p.fast.setEnabled(false);
        p.slow.setEnabled(true);
        again = clock::now();
    };
    p.slow.onTimer = [&] { ticked = clock::now(); };
    p.slow.setEnabled(true);
    p.fast.setEnabled(true);
    pumpUntil([&] { return ticked != clock::time_point{}; });
    ASSERT_TRUE(again != clock::time_point{} && again < ticked) << "fast, then slow";
    // Not restarted, it would tick 500 ms after; timers may run a little early.
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(ticked - again).count(), 560);
}

// Every edit, by key (WM_KEYDOWN with a modifier held) or by message (posted, as
// menus and translated keys send them; WM_SETTEXT sent with "zz", as other
// programs do), goes through the model; the clipboard, holding a character the
// code page lacks before each, gets real characters.
TEST_F(Probe, EveryEditGoesThroughTheModelAndTheClipboardHoldsRealCharacters)
{
    constexpr UINT_PTR K = WM_KEYDOWN, C = VK_CONTROL, S = VK_SHIFT;
    const wchar_t* const zh = L"\u4E2D"; // on the clipboard before each row
    // name, the model's text before (selection in brackets), steps (message,
    // wParam, modifier held), what the control and the model show after, the
    // clipboard after, the events
    const std::tuple<const char*, const char*, std::vector<std::array<UINT_PTR, 3>>, const wchar_t*,
                     const wchar_t*, const char*>
        rows[] = {
            {"ctrl_v", "a[b]c", {{K, 'V', C}}, L"a?[]c", zh, "c "},
            {"shift_insert", "a[b]c", {{K, VK_INSERT, S}}, L"a?[]c", zh, "c "},
            {"ctrl_insert", "a[b]c", {{K, VK_INSERT, C}}, L"a[b]c", L"b", ""},
            {"shift_delete", "a[b]c", {{K, VK_DELETE, S}}, L"a[]c", L"b", "c "},
            {"wm_paste", "a[b]c", {{WM_PASTE}}, L"a?[]c", zh, "c "},
            {"wm_cut", "a[b]c", {{WM_CUT}}, L"a[]c", L"b", "c "},
            {"wm_copy_the_character", "a[\x05]", {{WM_COPY}}, L"a[\u2405]", L"\x05", ""},
            {"wm_clear", "a[b]c", {{WM_CLEAR}}, L"a[]c", zh, "c "},
            {"delete", "a[]bc", {{K, VK_DELETE}}, L"a[]c", zh, "c "},
            {"shift_a_types", "[]", {{K, 'A', S}}, L"A[]", zh, "k65 c "},
            {"enter_to_keypress", "ab[]", {{K, VK_RETURN}}, L"ab[]", zh, "k13 "},
            {"escape_to_keypress", "ab[]", {{K, VK_ESCAPE}}, L"ab[]", zh, "k27 "},
            {"ctrl_a_selects_all", "a[]bc", {{K, 'A', C}}, L"[abc]", zh, ""},
            {"ctrl_b_is_a_key", "a[]", {{K, 'B', C}}, L"a[]", zh, "k2 "},
            {"surrogates", "[]", {{WM_CHAR, 0xD83D}, {WM_CHAR, 0xDE00}}, L"?[]", zh, "k63 c "},
            {"selection_by_keys", "a[]bc", {{K, VK_RIGHT, S}}, L"a[b]c", zh, ""},
            {"wm_settext", "a[]bc", {{WM_SETTEXT}}, L"zz[]", zh, "c "},
            // Undo stays out, even right after a typed key
            {"wm_undo", "a[]c", {{WM_CHAR, 'b'}, {WM_UNDO}}, L"ab[]c", zh, "k98 c "},
            {"ctrl_z", "a[]c", {{WM_CHAR, 'b'}, {WM_CHAR, 26}}, L"ab[]c", zh, "k98 c "},
        };
    const HWND a = host.control(p.a);
    SetFocus(a);
    for (const auto& [name, before, steps, after, clip, events] : rows) {
        load(p.a, before);
        clipboard(zh);
        log.clear();
        for (const auto& [msg, wp, held] : steps)
            if (msg == K)
                key(wp, held);
            else if (msg == WM_SETTEXT)
                SendMessageW(a, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"zz"));
            else
                PostMessageW(a, static_cast<UINT>(msg), wp, 0);
        pump();
        DWORD start = 0, end = 0;
        SendMessageW(a, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        std::wstring control = textOf(a);
        EXPECT_EQ(control.insert(end, L"]").insert(start, L"["), after) << name;
        EXPECT_EQ(rtwin::toDisplay(shown(p.a)), after) << name << ": the model";
        EXPECT_EQ(clipboard(), clip) << name;
        EXPECT_EQ(log, events) << name;
    }
}

// Made before any test, as the program makes them first; COM as a screen
// reader's client has it.
const rtwin::ProcessSettings settings;
[[maybe_unused]] const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

} // namespace
