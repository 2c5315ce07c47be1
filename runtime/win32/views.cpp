#include "views.h"

#include "boundary.h"

#include <ole2.h>
#include <oleacc.h>

#include <cstring>
#include <optional>
#include <utility>

namespace rtwin {

std::wstring toDisplay(const rt::Text& text)
{
    const std::u16string units = rt::toDisplay(text);
    return {units.begin(), units.end()};
}

std::wstring toUtf16(const rt::Text& text)
{
    const std::u16string units = rt::toUtf16(text);
    return {units.begin(), units.end()};
}

rt::Text fromUtf16(std::wstring_view text)
{
    return rt::fromUtf16(std::u16string(text.begin(), text.end()));
}

std::wstring fromUtf8(std::string_view text)
{
    std::wstring out(text.size(), L'\0');
    out.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                            static_cast<int>(out.size()))));
    return out;
}

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;

bool down(int key) { return GetKeyState(key) < 0; }

// Another program may hold the clipboard for a moment.
bool openClipboard(HWND owner)
{
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (OpenClipboard(owner))
            return true;
        Sleep(10);
    }
    return false;
}

void putOnClipboard(HWND owner, const std::wstring& text)
{
    if (!openClipboard(owner))
        return;
    EmptyClipboard();
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        std::memcpy(GlobalLock(memory), text.c_str(), bytes);
        GlobalUnlock(memory);
        if (!SetClipboardData(CF_UNICODETEXT, memory))
            GlobalFree(memory);
    }
    CloseClipboard();
}

std::wstring clipboardText(HWND owner)
{
    std::wstring text;
    if (!openClipboard(owner))
        return text;
    if (HANDLE memory = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* units = static_cast<const wchar_t*>(GlobalLock(memory))) {
            text.assign(units, wcsnlen(units, GlobalSize(memory) / sizeof(wchar_t)));
            GlobalUnlock(memory);
        }
    }
    CloseClipboard();
    return text;
}

void setFont(HWND hwnd, HFONT font)
{
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void moveTo(HWND hwnd, const rt::PixelRect& r, UINT flags = 0)
{
    SetWindowPos(hwnd, nullptr, r.left, r.top, r.width, r.height,
                 SWP_NOZORDER | SWP_NOACTIVATE | flags);
}

COLORREF colorRef(rt::Rgb c) { return RGB(c.r, c.g, c.b); }

std::wstring windowText(HWND hwnd)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Screen readers name a field after the label just before it in z-order:
// one nobody sees, holding the field's accessible name. Made before the
// field, so that it stands there.
HWND nameLabel(HWND parent)
{
    return CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_NOPREFIX, 0, 0, 0, 0, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

void showName(HWND label, const std::string& name)
{
    const std::wstring wanted = fromUtf8(name);
    if (windowText(label) != wanted)
        SetWindowTextW(label, wanted.c_str());
}

// The control that had the focus keeps it, or the window takes it.
void refuseFocus(HWND self, HWND from)
{
    SetFocus(from && from != self && IsWindow(from) ? from : GetParent(self));
}

// A solid brush of one colour, made again when the colour changes.
class SolidBrush {
public:
    SolidBrush() = default;
    SolidBrush(const SolidBrush&) = delete;
    SolidBrush& operator=(const SolidBrush&) = delete;
    ~SolidBrush()
    {
        if (brush_)
            DeleteObject(brush_);
    }

    HBRUSH of(COLORREF color)
    {
        if (brush_ && color == color_)
            return brush_;
        if (brush_)
            DeleteObject(brush_);
        color_ = color;
        return brush_ = CreateSolidBrush(color);
    }

private:
    HBRUSH brush_ = nullptr;
    COLORREF color_ = 0;
};

// ---- Text field: an EDIT control that shows an rt::TextBox. Every edit
// (typed characters, Delete, cut, copy, paste, from keys, the control's own
// context menu or other programs) goes to the model, which the control then
// shows; the control never edits its own text.

class FieldView : public View {
public:
    FieldView(rt::TextBox& box, HWND parent, int id) : View(box), box_(box)
    {
        name_ = nameLabel(parent);
        create({parent, L"EDIT", kChild | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, {}, id});
        modelChanged();
    }

    void modelChanged() override
    {
        syncing_ = true;
        const std::wstring shown = toDisplay(box_.text());
        if (text() != shown)
            original(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(shown.c_str()));
        const auto [start, end] = selection();
        const auto wantStart = static_cast<DWORD>(box_.selStart());
        const auto wantEnd = wantStart + static_cast<DWORD>(box_.selLength());
        // Leave a matching selection alone, so a backward one keeps its anchor.
        if (start != wantStart || end != wantEnd)
            original(EM_SETSEL, wantStart, wantEnd);
        showEnabled(box_.enabled());
        if (box_.backColor() != color_) {
            color_ = box_.backColor();
            InvalidateRect(handle(), nullptr, TRUE);
        }
        showName(name_, box_.accessibleName());
        syncing_ = false;
    }

    HBRUSH color(HDC dc) override
    {
        if (!ownColors(color_))
            return nullptr;
        // The model's text colour for its background, whatever the system's
        // colours, whether the field is enabled or not; under high contrast
        // the system's own.
        SetTextColor(dc, colorRef(box_.foreColor().value_or(rt::Rgb{})));
        SetBkColor(dc, colorRef(*color_));
        return brush_.of(colorRef(*color_));
    }

protected:
    LRESULT message(UINT msg, WPARAM wp, LPARAM lp) override
    {
        switch (msg) {
        case WM_GETDLGCODE: {
            // Enter and Escape belong to the field's KeyPress. Only those two:
            // asking for every key would keep Tab from moving the focus.
            LRESULT code = original(msg, wp, lp);
            const auto* m = reinterpret_cast<const MSG*>(lp);
            if (m && m->message == WM_KEYDOWN && (m->wParam == VK_RETURN || m->wParam == VK_ESCAPE))
                code |= DLGC_WANTMESSAGE;
            return code;
        }
        case WM_CHAR:
            typed(static_cast<wchar_t>(wp));
            return 0;
        case WM_KEYDOWN:
            if (keyDown(wp))
                return 0;
            break;
        case WM_PASTE:
            paste();
            return 0;
        case WM_CUT:
            cut();
            return 0;
        case WM_COPY:
            copy();
            return 0;
        case WM_CLEAR:
            if (box_.selLength() > 0)
                box_.pressDelete();
            return 0;
        case WM_UNDO:
        case EM_UNDO:
        case EM_CANUNDO:
            // Left out: an undo would edit the text around the model.
            return FALSE;
        case WM_SETTEXT: // another program setting the value: a user's edit
            replaceAll(reinterpret_cast<const wchar_t*>(lp));
            return TRUE;
        case EM_REPLACESEL:
            replaceSelection(reinterpret_cast<const wchar_t*>(lp));
            return 0;
        case WM_IME_COMPOSITION:
            // What an input method commits comes back as WM_CHAR; its
            // pre-edit text is not shown in the field.
            return DefWindowProcW(handle(), msg, wp, lp);
        case WM_SETFOCUS:
            if (!box_.enabled()) {
                refuseFocus(handle(), reinterpret_cast<HWND>(wp));
                return 0;
            }
            {
                const LRESULT result = original(msg, wp, lp);
                box_.form().userFocus(box_);
                mirrorSelection();
                return result;
            }
        case WM_SETCURSOR:
            if (!box_.enabled()) {
                SetCursor(LoadCursorW(nullptr, IDC_ARROW));
                return TRUE;
            }
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_CONTEXTMENU:
            // A disabled field cannot be clicked into or selected.
            if (!box_.enabled())
                return 0;
            break;
        default:
            break;
        }
        const LRESULT result = original(msg, wp, lp);
        mirrorSelection();
        return result;
    }

private:
    std::wstring text()
    {
        std::wstring text(static_cast<std::size_t>(original(WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            original(WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
        return text;
    }

    std::pair<DWORD, DWORD> selection()
    {
        DWORD start = 0, end = 0;
        original(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }

    // Selections made with the mouse or the keys, once the control has made them.
    void mirrorSelection()
    {
        if (syncing_ || !attached())
            return;
        const auto [start, end] = selection();
        if (start != static_cast<DWORD>(box_.selStart()) ||
            end - start != static_cast<DWORD>(box_.selLength()))
            box_.select(static_cast<rt::Long>(start), static_cast<rt::Long>(end - start));
    }

    // A disabled field stays enabled as a control, read-only: a disabled
    // EDIT draws grey text whatever its colours say, which may not be
    // legible on the model's background. It still never takes the focus or
    // a click.
    void showEnabled(bool enabled)
    {
        const LONG_PTR style = GetWindowLongPtrW(handle(), GWL_STYLE);
        if (((style & ES_READONLY) != 0) == enabled)
            original(EM_SETREADONLY, !enabled, 0);
        const LONG_PTR now = GetWindowLongPtrW(handle(), GWL_STYLE);
        const LONG_PTR want = enabled ? (now | WS_TABSTOP) : (now & ~WS_TABSTOP);
        if (want != now)
            SetWindowLongPtrW(handle(), GWL_STYLE, want);
    }

    // One WM_CHAR: a typed key, or one of the editing chords the control
    // would otherwise carry out on its own text.
    void typed(wchar_t unit)
    {
        if (IS_HIGH_SURROGATE(unit)) {
            if (pending_)
                typeUnits({pending_});
            pending_ = static_cast<char16_t>(unit);
            return;
        }
        if (!pending_ && editingChord(unit))
            return;
        const rt::KeyModifiers modifiers{down(VK_CONTROL), down(VK_MENU), false};
        std::u16string units;
        if (pending_)
            units.push_back(std::exchange(pending_, u'\0'));
        units.push_back(static_cast<char16_t>(unit));
        if (rt::typesCharacter(modifiers, unit))
            typeUnits(units);
    }

    void typeUnits(const std::u16string& units)
    {
        for (const char code : rt::fromUtf16(units))
            box_.typeKey(static_cast<rt::Integer>(static_cast<unsigned char>(code)));
    }

    bool editingChord(wchar_t unit)
    {
        switch (unit) {
        case 1: // Control+A
            box_.select(0, static_cast<rt::Long>(box_.text().size()));
            return true;
        case 3: // Control+C
            copy();
            return true;
        case 22: // Control+V
            paste();
            return true;
        case 24: // Control+X
            cut();
            return true;
        case 26: // Control+Z: undo is left out
            return true;
        default:
            return false;
        }
    }

    // Keys the control acts on at WM_KEYDOWN, without a message of their own.
    bool keyDown(WPARAM key)
    {
        const bool shift = down(VK_SHIFT), control = down(VK_CONTROL);
        switch (key) {
        case VK_DELETE:
            // Control+Delete would delete a word: left out.
            if (shift && !control)
                cut();
            else if (!shift && !control)
                box_.pressDelete();
            return true;
        case VK_INSERT:
            if (shift && !control)
                paste();
            else if (control && !shift)
                copy();
            return true;
        case VK_BACK:
        case VK_RETURN:
        case VK_ESCAPE:
            return true; // their WM_CHAR takes them to the model
        default:
            return false;
        }
    }

    void copy()
    {
        if (box_.selLength() > 0)
            putOnClipboard(handle(), toUtf16(box_.copy()));
    }

    void cut()
    {
        const rt::Text removed = box_.cut();
        if (!removed.empty())
            putOnClipboard(handle(), toUtf16(removed));
    }

    void paste() { box_.paste(fromUtf16(clipboardText(handle()))); }

    void replaceSelection(const wchar_t* text)
    {
        if (text && *text)
            box_.paste(fromUtf16(text));
        else if (box_.selLength() > 0)
            box_.pressDelete();
    }

    void replaceAll(const wchar_t* text)
    {
        box_.select(0, static_cast<rt::Long>(box_.text().size()));
        replaceSelection(text);
    }

    rt::TextBox& box_;
    HWND name_ = nullptr;
    bool syncing_ = false;
    char16_t pending_ = u'\0'; // the first half of a surrogate pair
    std::optional<rt::Rgb> color_;
    SolidBrush brush_;
};

// ---- Status line: a read-only EDIT, named by the hidden label just before
// it and holding the message for tools that read fields, with a STATIC over
// its text that shows the message. The STATIC's accessible name is its text:
// each new message is raised from it as a live-region change, which screen
// readers speak while the focus stays where it is; emptying the line raises
// nothing. The line takes no focus, click or typing.

// The UI Automation LiveSetting property, which the headers here lack.
constexpr GUID LiveSetting_Property_GUID{
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG kPolite = 1; // LiveSetting: announced when the reader is idle

// A control's LiveSetting, polite, set through the accessibility layer's
// property service for as long as this lives. Where the service refuses it,
// as Wine's does, the control goes on without: its events still go out.
// COM is loaded here, when first needed: imported, it would load with what
// it needs before the program starts, and hold up the first window.
class LiveSetting {
public:
    explicit LiveSetting(HWND hwnd) : hwnd_(hwnd), ole32_(LoadLibraryW(L"ole32.dll"))
    {
        auto* init = com<decltype(CoInitializeEx)>("CoInitializeEx");
        auto* create = com<decltype(CoCreateInstance)>("CoCreateInstance");
        if (!init || !create)
            return;
        com_ = SUCCEEDED(init(nullptr, COINIT_APARTMENTTHREADED));
        void* service = nullptr;
        if (FAILED(create(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                          IID_IAccPropServices, &service)))
            return;
        props_ = static_cast<IAccPropServices*>(service);
        VARIANT polite{};
        polite.vt = VT_I4;
        polite.lVal = kPolite;
        if (FAILED(props_->SetHwndProp(hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                       LiveSetting_Property_GUID, polite)))
            std::exchange(props_, nullptr)->Release();
    }

    ~LiveSetting()
    {
        if (props_) {
            MSAAPROPID live = LiveSetting_Property_GUID;
            props_->ClearHwndProps(hwnd_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &live, 1);
            props_->Release();
        }
        if (com_)
            com<decltype(CoUninitialize)>("CoUninitialize")();
        if (ole32_)
            FreeLibrary(ole32_);
    }

    LiveSetting(const LiveSetting&) = delete;
    LiveSetting& operator=(const LiveSetting&) = delete;

private:
    template <class Fn> Fn* com(const char* name) const
    {
        return ole32_ ? reinterpret_cast<Fn*>(reinterpret_cast<void*>(GetProcAddress(ole32_, name)))
                      : nullptr;
    }

    HWND hwnd_;
    HMODULE ole32_;
    bool com_ = false;
    IAccPropServices* props_ = nullptr;
};

class StatusView : public View {
public:
    StatusView(rt::TextBox& box, HWND parent, int id) : View(box), box_(box)
    {
        name_ = nameLabel(parent);
        constexpr DWORD kStyle = kChild | WS_CLIPCHILDREN | ES_AUTOHSCROLL | ES_READONLY;
        create({parent, L"EDIT", kStyle, WS_EX_CLIENTEDGE, {}, id});
        shown_ = CreateWindowExW(0, L"STATIC", L"",
                                 WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 0, 0,
                                 0, handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
        modelChanged();
    }

    // Where the EDIT would draw its text.
    void place(const Placement& placement) override
    {
        View::place(placement);
        setFont(shown_, placement.fonts.font({}));
        RECT r{};
        original(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
        moveTo(shown_, {r.left, r.top, r.right - r.left, r.bottom - r.top});
    }

    void modelChanged() override
    {
        showName(name_, box_.accessibleName());
        const std::wstring text = toDisplay(box_.text());
        if (text == windowText(shown_))
            return;
        original(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SetWindowTextW(shown_, text.c_str());
        if (IsWindowVisible(handle())) {
            KillTimer(handle(), kGreeting); // a greeting not yet announced is gone
            announce();
        }
    }

    // The first message waits for the window's first frame: a timer's
    // message comes after every paint, so starting the accessibility
    // layer does not hold the window up.
    void shown() override { SetTimer(handle(), kGreeting, USER_TIMER_MINIMUM, nullptr); }

    // The EDIT's colours, and the STATIC's: the model's, or under high
    // contrast the system's window colours.
    HBRUSH color(HDC dc) override
    {
        const bool own = ownColors(box_.backColor());
        const COLORREF back = own ? colorRef(*box_.backColor()) : GetSysColor(COLOR_WINDOW);
        SetTextColor(dc, own ? colorRef(box_.foreColor().value_or(rt::Rgb{}))
                             : GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, back);
        return brush_.of(back);
    }

protected:
    LRESULT message(UINT msg, WPARAM wp, LPARAM lp) override
    {
        switch (msg) {
        case WM_CTLCOLORSTATIC: // from the STATIC
            return reinterpret_cast<LRESULT>(color(reinterpret_cast<HDC>(wp)));
        case WM_SETFOCUS:
            refuseFocus(handle(), reinterpret_cast<HWND>(wp));
            return 0;
        case WM_SETCURSOR:
            SetCursor(LoadCursorW(nullptr, IDC_ARROW));
            return TRUE;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_CONTEXTMENU:
            return 0;
        case WM_SETTEXT: // from another program: the text is the model's
        case EM_REPLACESEL:
            return FALSE;
        case WM_TIMER:
            if (wp != kGreeting)
                break;
            KillTimer(handle(), kGreeting);
            announce();
            return 0;
        default:
            break;
        }
        return original(msg, wp, lp);
    }

private:
    static constexpr UINT_PTR kGreeting = 1;

    void announce()
    {
        if (GetWindowTextLengthW(shown_) == 0)
            return;
        if (!live_)
            live_.emplace(shown_);
        NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, shown_, OBJID_CLIENT, CHILDID_SELF);
    }

    rt::TextBox& box_;
    HWND name_ = nullptr;
    HWND shown_ = nullptr; // the STATIC
    SolidBrush brush_;
    std::optional<LiveSetting> live_;
};

// ---- Push button: BN_CLICKED from the mouse, Space, or Enter while it has the focus.

class ButtonView : public View {
public:
    ButtonView(rt::CommandButton& button, HWND parent, int id) : View(button), button_(button)
    {
        create({parent, L"BUTTON", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0,
                toUtf16(button.caption()), id});
    }

    void command(WORD code) override
    {
        if (code == BN_CLICKED)
            button_.click();
    }

protected:
    LRESULT message(UINT msg, WPARAM wp, LPARAM lp) override
    {
        if (msg == WM_GETDLGCODE) {
            // The focused button is the one Enter clicks: dialog navigation
            // then sends its BN_CLICKED.
            return (original(msg, wp, lp) & ~DLGC_UNDEFPUSHBUTTON) | DLGC_DEFPUSHBUTTON;
        }
        const LRESULT result = original(msg, wp, lp);
        if (msg == WM_SETFOCUS)
            button_.form().userFocus(button_);
        return result;
    }

private:
    rt::CommandButton& button_;
};

// ---- Label: a STATIC in the model's font, as wide as its caption needs.

class LabelView : public View {
public:
    LabelView(rt::Label& label, HWND parent, int id) : View(label), label_(label)
    {
        create({parent, L"STATIC", kChild | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0,
                toUtf16(label.caption()), id});
    }

    void place(const Placement& placement) override
    {
        layout_ = &placement.layout;
        setFont(handle(), placement.fonts.font(label_.font()));
        moveTo(handle(), layout_->inWindow(label_));
    }

    void modelChanged() override
    {
        SetWindowTextW(handle(), toUtf16(label_.caption()).c_str());
        if (layout_)
            moveTo(handle(), layout_->inWindow(label_));
    }

private:
    rt::Label& label_;
    const rt::Layout* layout_ = nullptr;
};

// ---- Frame: a group box. It contains nothing: the fields it frames are the
// window's children too, above it in z-order.

class FrameView : public View {
public:
    FrameView(rt::Frame& frame, HWND parent, int id) : View(frame)
    {
        create({parent, L"BUTTON", kChild | BS_GROUPBOX, 0, toUtf16(frame.caption()), id});
    }
};

// ---- Picture: a STATIC icon, shown at its own size.

class ImageView : public View {
public:
    ImageView(rt::Image& image, HWND parent, int id) : View(image), image_(image)
    {
        create({parent, L"STATIC", kChild | SS_ICON, 0, {}, id});
    }

    void place(const Placement& placement) override
    {
        const bool icon = image_.picture() == rt::Picture::ProgramIcon;
        SendMessageW(handle(), STM_SETICON,
                     reinterpret_cast<WPARAM>(icon ? placement.icon : nullptr), 0);
        moveTo(handle(), placement.layout.inWindow(image_), SWP_NOSIZE);
    }

private:
    rt::Image& image_;
};

} // namespace

// ---- View

View::View(rt::Control& model) : model_(model) {}

View::~View() { detach(); }

void View::create(const CreateArgs& args)
{
    hwnd_ = CreateWindowExW(args.exStyle, args.className, args.text.c_str(), args.style, 0, 0, 0, 0,
                            args.parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id)),
                            GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_)
        return;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&View::subclass)));
    model_.setView(this);
}

void View::place(const Placement& placement)
{
    setFont(hwnd_, placement.fonts.font({}));
    moveTo(hwnd_, placement.layout.inWindow(model_));
}

void View::detach()
{
    if (!attached_)
        return;
    attached_ = false;
    model_.setView(nullptr);
}

View* View::of(HWND hwnd)
{
    return hwnd ? reinterpret_cast<View*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)) : nullptr;
}

LRESULT View::message(UINT msg, WPARAM wp, LPARAM lp) { return original(msg, wp, lp); }

LRESULT View::original(UINT msg, WPARAM wp, LPARAM lp)
{
    return CallWindowProcW(original_, hwnd_, msg, wp, lp);
}

LRESULT CALLBACK View::subclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    View* view = of(hwnd);
    if (!view)
        return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        const WNDPROC original = view->original_;
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        view->hwnd_ = nullptr;
        return CallWindowProcW(original, hwnd, msg, wp, lp);
    }
    return view->attached_ ? view->message(msg, wp, lp) : view->original(msg, wp, lp);
}

std::unique_ptr<View> makeView(rt::Control& control, HWND parent, int id)
{
    switch (control.kind()) {
    case rt::Control::Kind::TextBox: {
        auto& box = static_cast<rt::TextBox&>(control);
        if (box.accessibleRole() == rt::TextBox::Role::Status)
            return std::make_unique<StatusView>(box, parent, id);
        return std::make_unique<FieldView>(box, parent, id);
    }
    case rt::Control::Kind::CommandButton:
        return std::make_unique<ButtonView>(static_cast<rt::CommandButton&>(control), parent, id);
    case rt::Control::Kind::Label:
        return std::make_unique<LabelView>(static_cast<rt::Label&>(control), parent, id);
    case rt::Control::Kind::Frame:
        return std::make_unique<FrameView>(static_cast<rt::Frame&>(control), parent, id);
    case rt::Control::Kind::Image:
        return std::make_unique<ImageView>(static_cast<rt::Image&>(control), parent, id);
    case rt::Control::Kind::Timer:
        break;
    }
    return nullptr;
}

} // namespace rtwin
