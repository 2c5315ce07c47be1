// The Win32 binding under Wine: real controls driven by real messages through
// the host's own loop step, and what the controls show read back from them.
// The cascades themselves are covered headless (test_frmMain).
#include "desktop.h"
#include "frmAbout.h"
#include "frmMain.h"
#include "outcome.h"
#include "product.h"
#include "views.h"
#include "win32host.h"

#include <oleacc.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The tests' stand-in for the system's high-contrast setting, which Wine
// cannot switch on; the binding reads it in this one function.
static bool highContrastOn = false;
bool rtwin::highContrast() { return highContrastOn; }

namespace {

std::wstring textOf(HWND hwnd)
{
    std::wstring text(512, L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

// An edit control's text with its selection in brackets, as outcome.h writes fields.
std::wstring shownWithSelection(HWND edit)
{
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const std::wstring t = textOf(edit);
    return t.substr(0, start) + L"[" + t.substr(start, end - start) + L"]" + t.substr(end);
}

void setClipboard(const std::wstring& text)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    wcscpy(static_cast<wchar_t*>(GlobalLock(memory)), text.c_str());
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

std::wstring clipboard()
{
    std::wstring text;
    if (OpenClipboard(nullptr)) {
        if (HANDLE memory = GetClipboardData(CF_UNICODETEXT)) {
            text = static_cast<const wchar_t*>(GlobalLock(memory));
            GlobalUnlock(memory);
        }
        CloseClipboard();
    }
    return text;
}

// What a screen reader reads as the name of an accessible object (released
// here); nothing where the system's accessibility layer gives none.
std::optional<std::wstring> nameOf(IAccessible* acc, VARIANT child)
{
    BSTR got = nullptr;
    std::optional<std::wstring> name;
    if (acc && acc->get_accName(child, &got) == S_OK)
        name.emplace(got, SysStringLen(got));
    SysFreeString(got);
    if (acc)
        acc->Release();
    return name;
}

std::optional<std::wstring> accessibleName(HWND hwnd)
{
    void* acc = nullptr;
    AccessibleObjectFromWindow(hwnd, OBJID_CLIENT, __uuidof(IAccessible), &acc);
    VARIANT self{};
    self.vt = VT_I4; // CHILDID_SELF
    return nameOf(static_cast<IAccessible*>(acc), self);
}

// The names of the live regions that changed, as a screen reader hears them.
std::vector<std::wstring> liveRegions;

void CALLBACK heard(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD)
{
    IAccessible* acc = nullptr;
    VARIANT which{};
    AccessibleObjectFromEvent(hwnd, static_cast<DWORD>(object), static_cast<DWORD>(child), &acc,
                              &which);
    liveRegions.push_back(nameOf(acc, which).value_or(L"(no name)"));
}

// The status line's colours as it paints them: its background, and whether
// any pixel is in `text`.
std::pair<COLORREF, bool> painted(HWND hwnd, COLORREF text)
{
    RECT r{};
    GetClientRect(hwnd, &r);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), r.right, -r.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    const COLORREF back = GetPixel(dc, 1, 1);
    bool found = false;
    for (int y = 0; y < r.bottom && !found; ++y)
        for (int x = 0; x < r.right && !found; ++x)
            found = GetPixel(dc, x, y) == text;
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return {back, found};
}

enum Held { kNone = 0, kShift = 1, kControl = 2 };

// The host and what drives it: keys as the keyboard sends them, the loop pumped by hand.
struct Session : ::testing::Test {
    rtwin::Win32Host host;

    void SetUp() override { host.setErrorBoxes(false); }

    void pump()
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            host.process(msg);
    }

    // The loop, pumped as it waits, until `done` or half a minute has passed.
    void pumpUntil(const std::function<bool()>& done)
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!done() && std::chrono::steady_clock::now() < until) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
            pump();
        }
    }

    // WM_KEYDOWN and WM_KEYUP to the focused control with the modifiers held:
    // dialog navigation sees them first, translation makes their WM_CHAR.
    void key(UINT vk, int held = kNone)
    {
        BYTE state[256]{};
        state[VK_SHIFT] = held & kShift ? 0x80 : 0;
        state[VK_CONTROL] = held & kControl ? 0x80 : 0;
        SetKeyboardState(state);
        const auto scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
        PostMessageW(GetFocus(), WM_KEYDOWN, vk, scan | 1);
        pump();
        PostMessageW(GetFocus(), WM_KEYUP, vk, scan | 0xC0000001);
        pump();
        BYTE none[256]{};
        SetKeyboardState(none);
    }

    // Characters typed on a US keyboard; "\b", "\r" and "\x1b" are the keys.
    void type(HWND field, std::wstring_view keys)
    {
        SetFocus(field);
        for (const wchar_t c : keys) {
            const SHORT scan = c == L'\b' ? VK_BACK : c == L'\r' ? VK_RETURN : VkKeyScanW(c);
            key(LOBYTE(scan), scan & 0x100 ? kShift : kNone);
        }
    }
};

struct Converter : Session {
    rt::Application app{host, kProduct};
    frmMain& f = app.defaultInstance<frmMain>();

    void SetUp() override
    {
        Session::SetUp();
        f.show();
        f.tmrEmptyFields.setEnabled(false); // the greeting stays for the length of a test
        pump();
    }
    HWND hwnd(const rt::Control& c) const { return host.control(c); }
    std::wstring fields()
    {
        std::wstring all = textOf(hwnd(f.txtDen));
        for (const rt::TextBox* t : {&f.txtHex, &f.txtBin, &f.txtASCII, &f.txtInfo})
            all.append(L"|").append(textOf(hwnd(*t)));
        return all;
    }
};

TEST_F(Converter, FocusStartsInDenaryAndTabFollowsTheTabIndex)
{
    const rt::Control* const order[] = {&f.txtDen, &f.txtHex,   &f.txtASCII,
                                        &f.txtBin, &f.cmdAbout, &f.txtDen};
    for (const rt::Control* c : order) {
        EXPECT_EQ(GetFocus(), hwnd(*c)) << c->name();
        key(VK_TAB);
    }
    key(VK_TAB, kShift);
    key(VK_TAB, kShift);
    EXPECT_EQ(GetFocus(), hwnd(f.cmdAbout)) << "Shift+Tab goes back, wrapping";
}

TEST_F(Converter, StatusLineTakesNoFocusClickOrTyping)
{
    const HWND status = hwnd(f.txtInfo);
    SetFocus(status);
    SendMessageW(status, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(status, WM_CHAR, 'x', 1);
    SendMessageW(status, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"x"));
    EXPECT_EQ(GetFocus(), hwnd(f.txtDen));
    EXPECT_EQ(textOf(status), L"Welcome!");
}

// Light green behind black text, unless the user asks for high contrast:
// then the system's window colours, from the moment the system says so.
TEST_F(Converter, StatusLinePaintsTheSystemsColoursUnderHighContrast)
{
    const HWND status = GetWindow(hwnd(f.txtInfo), GW_CHILD), top = host.window(f);
    const int elements[] = {COLOR_WINDOW, COLOR_WINDOWTEXT};
    const COLORREF saved[] = {GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT)};
    const COLORREF scheme[] = {RGB(0, 0, 64), RGB(255, 255, 0)};
    const auto contrast = [&](bool on) {
        highContrastOn = on;
        SendMessageW(top, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    };
    struct Row {
        const char* name;
        std::function<void()> change;
        COLORREF back, text;
    };
    const Row rows[] = {
        {"at_start", nullptr, RGB(192, 255, 192), RGB(0, 0, 0)},
        {"switched_on", [&] { contrast(true); }, saved[0], saved[1]},
        {"colours_changed",
         [&] {
             SetSysColors(2, elements, scheme); // which repaints every window at once
             SendMessageW(top, WM_SYSCOLORCHANGE, 0, 0);
         },
         scheme[0], scheme[1]},
        {"switched_off", [&] { contrast(false); }, RGB(192, 255, 192), RGB(0, 0, 0)},
    };
    for (const Row& r : rows) {
        if (r.change) {
            pump();
            ValidateRect(status, nullptr);
            r.change();
            EXPECT_TRUE(GetUpdateRect(status, nullptr, FALSE)) << r.name << ": painted anew";
        }
        EXPECT_EQ(painted(status, r.text), std::pair(r.back, true)) << r.name;
    }
    SetSysColors(2, elements, saved);
}

// Each new message, and only that, is a live-region change of an object
// named by the message, which screen readers speak as it appears.
struct Announced : Converter {
    // Installed before the window first shows.
    HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr,
                        heard, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    Announced() { liveRegions.clear(); }
    ~Announced() override { UnhookWinEvent(hook); }
};

TEST_F(Announced, EachNewMessageIsALiveRegionChangeNamedByIt)
{
    struct Row {
        const char* name;
        std::function<void()> act;
        std::vector<std::wstring> heard;
    };
    const Row rows[] = {
        {"shown", [&] { pumpUntil([] { return !liveRegions.empty(); }); }, {L"Welcome!"}},
        {"typing_300", [&] { type(hwnd(f.txtDen), L"300"); }, {L"Denary must be 0-255"}},
        {"the_same_again", [&] { type(hwnd(f.txtDen), L"\b256"); }, {}},
        {"cleared_by_the_timer", [&] { f.tmrEmptyFields.tick(); }, {}},
        {"again_once_cleared", [&] { type(hwnd(f.txtDen), L"\b999"); }, {L"Denary must be 0-255"}},
    };
    for (const Row& r : rows) {
        r.act();
        pump();
        EXPECT_EQ(liveRegions, r.heard) << r.name;
        liveRegions.clear();
    }
}

// Pixels at 96 dpi from the model's twips (twips * 96 / 1440); every figure
// doubles at 192. One control of each kind on the converter window, whose
// pixels test_widgets checks control by control; the About window whole.
struct Placed {
    const rt::Control& control;
    RECT at96; // left, top, right, bottom in the client area
};

void expectPlaced(const rtwin::Win32Host& host, const rt::Form& form, SIZE client96,
                  const std::vector<Placed>& rows, int dpi)
{
    const HWND top = host.window(form);
    const int k = dpi / 96;
    RECT client{};
    GetClientRect(top, &client);
    EXPECT_EQ(client.right, client96.cx * k) << form.name() << " at " << dpi;
    EXPECT_EQ(client.bottom, client96.cy * k) << form.name() << " at " << dpi;
    for (const Placed& p : rows) {
        RECT r{};
        const HWND h = host.control(p.control);
        GetWindowRect(h, &r);
        MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&r), 2);
        const RECT want{p.at96.left * k, p.at96.top * k, p.at96.right * k, p.at96.bottom * k};
        const auto* label = dynamic_cast<const rt::Label*>(&p.control);
        // A label may grow right and down to show its whole caption, never shrink.
        EXPECT_TRUE(r.left == want.left && r.top == want.top &&
                    (label ? r.right >= want.right && r.bottom >= want.bottom
                           : r.right == want.right && r.bottom == want.bottom))
            << p.control.name() << " at " << dpi << ": " << r.left << ',' << r.top << ',' << r.right
            << ',' << r.bottom;
        if (label) {
            HDC dc = GetDC(h);
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
            SIZE extent{};
            const std::wstring text = textOf(h);
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
            ReleaseDC(h, dc);
            EXPECT_LE(extent.cx, r.right - r.left) << p.control.name() << " cut off";
        }
    }
}

TEST_F(Converter, BothWindowsLaidOutInPixelsAtEitherDpiAndAfterAChange)
{
    const int start = rtwin::windowDpi(host.window(f));
    // The DPI the wrapper started this run at, where it says.
    if (const char* wanted = std::getenv("NW_WINE_DPI")) {
        ASSERT_EQ(start, std::atoi(wanted));
    }
    if (start != 96 && start != 192)
        GTEST_SKIP() << "laid out at " << start << " dpi; the table has 96 and 192";
    const std::vector<Placed> main{
        {f.fraden, {8, 0, 209, 49}},        {f.frahex, {8, 56, 209, 105}},
        {f.txtBin, {224, 72, 409, 97}},     {f.txtInfo, {8, 112, 361, 137}},
        {f.cmdAbout, {368, 112, 417, 137}},
    };
    SendMessageW(hwnd(f.cmdAbout), BM_CLICK, 0, 0);
    pump();
    auto& about = app.defaultInstance<frmAbout>();
    const std::vector<Placed> box{
        {about.cmdOK, {8, 144, 177, 169}},  {about.Label3, {72, 112, 105, 129}},
        {about.Label2, {32, 88, 153, 105}}, {about.Label1, {40, 64, 137, 89}},
        {about.Image1, {72, 16, 104, 48}},
    };
    for (const int dpi : {start, 288 - start}) {
        if (dpi != start)
            for (const HWND top : {host.window(f), host.window(about)}) {
                RECT suggested{10, 10, 20, 20};
                SendMessageW(top, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                             reinterpret_cast<LPARAM>(&suggested));
            }
        expectPlaced(host, f, {422, 143}, main, dpi);
        expectPlaced(host, about, {183, 175}, box, dpi);
        ICONINFO icon{};
        BITMAP bits{};
        const auto shown = SendMessageW(host.control(about.Image1), STM_GETICON, 0, 0);
        ASSERT_TRUE(shown && GetIconInfo(reinterpret_cast<HICON>(shown), &icon)) << dpi;
        GetObjectW(icon.hbmColor, sizeof bits, &bits);
        EXPECT_EQ(bits.bmWidth, dpi / 3) << "the icon at its own size: 32 pixels at 96 dpi";
        DeleteObject(icon.hbmColor);
        DeleteObject(icon.hbmMask);
    }
}

TEST_F(Converter, FieldsAndWindowsCarryTheirNamesForScreenReaders)
{
    EXPECT_EQ(textOf(host.window(f)), L"Numberwell");
    const std::pair<const rt::TextBox*, const wchar_t*> rows[] = {
        {&f.txtDen, L"Denary"}, {&f.txtHex, L"Hex"},     {&f.txtASCII, L"Ascii"},
        {&f.txtBin, L"Binary"}, {&f.txtInfo, L"Status"},
    };
    type(hwnd(f.txtDen), L"65"); // a field's text is not its name
    for (const auto& [field, name] : rows)
        EXPECT_EQ(accessibleName(hwnd(*field)), name);
    EXPECT_EQ(accessibleName(GetWindow(hwnd(f.txtInfo), GW_CHILD)), L"Welcome!")
        << "what the status line shows is named by its message";
}

TEST_F(Converter, AboutClosesOnOkEnterSpaceTitleBarOrTheConverterActivated)
{
    auto& about = app.defaultInstance<frmAbout>();
    struct Row {
        const char* name;
        std::function<void()> act;
        bool closes;
    };
    const Row rows[] = {
        {"escape_does_nothing", [&] { key(VK_ESCAPE); }, false},
        {"enter_on_ok", [&] { key(VK_RETURN); }, true},
        {"space_on_ok", [&] { key(VK_SPACE); }, true},
        {"title_bar", [&] { PostMessageW(host.window(about), WM_SYSCOMMAND, SC_CLOSE, 0); }, true},
        {"converter_activated", [&] { SetForegroundWindow(host.window(f)); }, true},
    };
    type(hwnd(f.txtDen), L"65");
    for (const Row& r : rows) {
        SendMessageW(hwnd(f.cmdAbout), BM_CLICK, 0, 0);
        pump();
        const HWND box = host.window(about);
        ASSERT_NE(box, nullptr) << r.name;
        EXPECT_EQ(textOf(box), L"About Numberwell");
        EXPECT_EQ(textOf(host.control(about.Label3)), L"v" NW_VERSION_TEXT);
        EXPECT_EQ(GetFocus(), host.control(about.cmdOK)) << r.name;
        r.act();
        pump();
        EXPECT_EQ(host.window(about) == nullptr, r.closes) << r.name;
        EXPECT_EQ(IsWindow(box) == FALSE, r.closes)
            << r.name << ": destroyed once its messages end";
        if (!r.closes)
            SendMessageW(host.control(about.cmdOK), BM_CLICK, 0, 0);
        pump();
    }
    EXPECT_EQ(fields(), L"65|41|01000001|A|Welcome!") << "the converter window is untouched";
    EXPECT_EQ(GetFocus(), hwnd(f.cmdAbout)) << "back on the button clicked last";
    EXPECT_FALSE(app.ended());
}

// ---- Timers on a window of their own.

struct Clock : rt::Form {
    explicit Clock(rt::Application& app)
        : rt::Form(app, "Clock", "Clock", 3000, 1000, rt::Picture::None)
    {}
    rt::Timer slow{*this, "slow", 600, false}, fast{*this, "fast", 100, false};
};

// Enabled again while it runs, a timer starts its period anew: the slow
// timer, enabled again by the fast one's tick, ticks a whole period after it.
TEST_F(Session, EnablingARunningTimerStartsItsPeriodAnew)
{
    using namespace std::chrono;
    rt::Application app{host, {}};
    auto& clock = app.defaultInstance<Clock>();
    clock.show();
    steady_clock::time_point again, ticked;
    clock.fast.onTimer = [&] {
        clock.fast.setEnabled(false);
        clock.slow.setEnabled(true);
        again = steady_clock::now();
    };
    clock.slow.onTimer = [&] {
        clock.slow.setEnabled(false);
        ticked = steady_clock::now();
    };
    clock.slow.setEnabled(true);
    clock.fast.setEnabled(true);
    pumpUntil([&] { return ticked != steady_clock::time_point{}; });
    ASSERT_TRUE(again != steady_clock::time_point{} && again < ticked) << "fast, then slow";
    // Not restarted, it would tick 500 ms after; timers may run a little early.
    EXPECT_GE(duration_cast<milliseconds>(ticked - again).count(), 560);
}

// ---- One field on a window of its own: every kind of edit, and what reaches the model.

struct Probe : rt::Form {
    explicit Probe(rt::Application& app)
        : rt::Form(app, "Probe", "Probe", 3000, 1000, rt::Picture::None)
    {}
    rt::TextBox a{*this, "a", nullptr, {120, 120, 2000, 375}, 0};
};

// One step of an edit: a key pressed and released (WM_KEYDOWN) with keys held,
// a message with a text sent, or any other message posted, as other programs,
// menus or translated keys send them.
struct Step {
    UINT msg;
    WPARAM wp = 0;
    int held = kNone;
    const wchar_t* text = nullptr;
};

struct Edits : Session {
    rt::Application app{host, {}};
    Probe& p = app.defaultInstance<Probe>();
    std::string log;

    void SetUp() override
    {
        Session::SetUp();
        p.show();
        pump();
        // (appended piece by piece: "k" + std::to_string(k) trips GCC 12's -Wrestrict)
        p.a.onKeyPress = [this](rt::Integer& k) {
            log.append("k").append(std::to_string(k)) += ' ';
        };
        p.a.onChange = [this] { log += "c "; };
    }
};

TEST_F(Edits, EveryEditGoesThroughTheModelAndTheClipboardHoldsRealCharacters)
{
    struct Row {
        const char* name;
        const char* before; // the model's text, selection in brackets
        const wchar_t* clip;
        std::vector<Step> steps;
        const wchar_t* after; // what the control shows, and the model
        const wchar_t* clipAfter;
        const char* log;
    };
    const Row rows[] = {
        // Clipboard keys and messages
        {"ctrl_v", "a[b]c", L"XY", {{WM_KEYDOWN, 'V', kControl}}, L"aXY[]c", L"XY", "c "},
        {"shift_insert", "a[b]c", L"XY", {{WM_KEYDOWN, VK_INSERT, kShift}}, L"aXY[]c", L"XY", "c "},
        {"ctrl_insert", "a[b]c", L"XY", {{WM_KEYDOWN, VK_INSERT, kControl}}, L"a[b]c", L"b", ""},
        {"shift_delete", "a[b]c", L"XY", {{WM_KEYDOWN, VK_DELETE, kShift}}, L"a[]c", L"b", "c "},
        {"wm_paste", "a[b]c", L"XY", {{WM_PASTE}}, L"aXY[]c", L"XY", "c "},
        {"wm_cut", "a[b]c", L"XY", {{WM_CUT}}, L"a[]c", L"b", "c "},
        {"wm_copy_the_character", "a[\x05]", L"", {{WM_COPY}}, L"a[\u2405]", L"\x05", ""},
        {"wm_clear", "a[b]c", L"XY", {{WM_CLEAR}}, L"a[]c", L"XY", "c "},
        {"paste_unicode", "a[]", L"\u4E2D", {{WM_PASTE}}, L"a?[]", L"\u4E2D", "c "},
        // Keys
        {"delete", "a[]bc", L"", {{WM_KEYDOWN, VK_DELETE}}, L"a[]c", L"", "c "},
        {"enter_reaches_keypress", "ab[]", L"", {{WM_KEYDOWN, VK_RETURN}}, L"ab[]", L"", "k13 "},
        {"escape_reaches_keypress", "ab[]", L"", {{WM_KEYDOWN, VK_ESCAPE}}, L"ab[]", L"", "k27 "},
        {"ctrl_a_selects_all", "a[]bc", L"", {{WM_KEYDOWN, 'A', kControl}}, L"[abc]", L"", ""},
        {"ctrl_b_is_a_typed_key", "a[]", L"", {{WM_KEYDOWN, 'B', kControl}}, L"a[]", L"", "k2 "},
        {"surrogates", "[]", L"", {{WM_CHAR, 0xD83D}, {WM_CHAR, 0xDE00}}, L"?[]", L"", "k63 c "},
        {"selection_by_keys", "a[]bc", L"", {{WM_KEYDOWN, VK_RIGHT, kShift}}, L"a[b]c", L"", ""},
        {"wm_settext", "a[]bc", L"", {{WM_SETTEXT, 0, kNone, L"zz"}}, L"zz[]", L"", "c "},
        // Undo stays out, even right after a typed key
        {"wm_undo", "a[]c", L"", {{WM_CHAR, 'b'}, {WM_UNDO}}, L"ab[]c", L"", "k98 c "},
        {"ctrl_z", "a[]c", L"", {{WM_CHAR, 'b'}, {WM_CHAR, 26}}, L"ab[]c", L"", "k98 c "},
    };
    const HWND a = host.control(p.a);
    SetFocus(a);
    for (const Row& r : rows) {
        load(p.a, r.before);
        setClipboard(r.clip);
        log.clear();
        for (const Step& s : r.steps) {
            if (s.msg == WM_KEYDOWN)
                key(static_cast<UINT>(s.wp), s.held);
            else if (s.text)
                SendMessageW(a, s.msg, s.wp, reinterpret_cast<LPARAM>(s.text));
            else
                PostMessageW(a, s.msg, s.wp, 0);
        }
        pump();
        EXPECT_EQ(shownWithSelection(a), r.after) << r.name;
        EXPECT_EQ(rtwin::toDisplay(shown(p.a)), r.after) << r.name << ": the model";
        EXPECT_EQ(clipboard(), r.clipAfter) << r.name;
        EXPECT_EQ(log, r.log) << r.name;
    }
}

} // namespace

int main(int argc, char** argv)
{
    const rtwin::ProcessSettings settings;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); // as a screen reader's client would
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
