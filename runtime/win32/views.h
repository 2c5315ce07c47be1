// One view per model control: a standard Windows control (EDIT, STATIC,
// BUTTON) that shows the model and hands the user's input to it, so screen
// readers and automation tools see ordinary controls. Each view subclasses
// its control and handles the control's own messages; the window reflects
// WM_COMMAND and WM_CTLCOLOR* back to the view of the control that sent them.
// The text wrappers between field text and UTF-16 live here and only here.
#pragma once

#include "desktop.h"
#include "forms.h"
#include "layout.h"

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

namespace rtwin {

// Field text to UTF-16 and back, through the runtime's rules.
std::wstring toDisplay(const rt::Text& text);
std::wstring toUtf16(const rt::Text& text);
rt::Text fromUtf16(std::wstring_view text);
// Names and messages, which are UTF-8 rather than field text.
std::wstring fromUtf8(std::string_view text);

// The settings a control is created from.
struct CreateArgs {
    HWND parent = nullptr;
    const wchar_t* className = L"";
    DWORD style = 0;
    DWORD exStyle = 0;
    std::wstring text;
    int id = 0;
};

// What a window hands its views when it lays them out at its DPI.
struct Placement {
    const rt::Layout& layout;
    FontSet& fonts;
    HICON icon; // the program's icon at the window's icon size, or nullptr
};

class View : public rt::ControlView {
public:
    explicit View(rt::Control& model);
    ~View() override;
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    HWND handle() const { return hwnd_; }
    rt::Control& model() const { return model_; }

    virtual void place(const Placement& placement);
    virtual void shown() {}                       // its window is on screen for the first time
    virtual void command(WORD) {}                 // WM_COMMAND sent by this control
    virtual HBRUSH color(HDC) { return nullptr; } // WM_CTLCOLOR* sent by this control
    // The model is going: from now on the control only behaves as itself.
    void detach();

    // The view of a control this binding made, or nullptr.
    static View* of(HWND hwnd);

protected:
    // Makes the control and this view the model's view.
    void create(const CreateArgs& args);
    virtual LRESULT message(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT original(UINT msg, WPARAM wp, LPARAM lp);
    bool attached() const { return attached_; }
    void modelChanged() override {}

private:
    static LRESULT CALLBACK subclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    rt::Control& model_;
    HWND hwnd_ = nullptr;
    WNDPROC original_ = nullptr;
    bool attached_ = true;
};

// The view for a model control, created as a child of `parent` with the id
// given; nullptr for a control nothing shows (a timer).
std::unique_ptr<View> makeView(rt::Control& control, HWND parent, int id);

} // namespace rtwin
