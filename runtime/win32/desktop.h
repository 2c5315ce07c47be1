// What the binding takes from the desktop it runs on: a window's DPI, the
// system's message font and metrics at that DPI, the program's icon at a
// size, whether the user asked for high contrast, and the process-wide
// settings (DPI awareness, the common-controls version) made before the
// first window. Newer calls are looked up at run time, so the
// program still starts where they are missing, as on older systems or Wine.
#pragma once

#include "forms.h"

#include <windows.h>

#include <map>
#include <optional>
#include <string_view>
#include <tuple>

namespace rtwin {

int windowDpi(HWND hwnd);
int systemMetric(int index, int dpi);
// The window size that gives `client` a client area of that size.
SIZE windowSize(SIZE client, DWORD style, DWORD exStyle, int dpi);

// The program's icon (resource 1) at size × size pixels; nullptr where the
// program carries none.
HICON programIcon(int size);

// Whether the user has asked every program for the system's own colours
// (high contrast). The one place the setting is read.
bool highContrast();
// Whether a control paints the background the model gives it, with the text
// colour that goes with it: only where the model gives one and the user has
// not asked for high contrast. Otherwise the system's colours serve.
bool ownColors(const std::optional<rt::Rgb>& background);

// The fonts of one window at one DPI: the message font and the model's
// variants of it. Owns them; they live as long as the set.
class FontSet {
public:
    explicit FontSet(int dpi);
    ~FontSet();
    FontSet(const FontSet&) = delete;
    FontSet& operator=(const FontSet&) = delete;

    HFONT font(const rt::Font& wanted);
    int lineHeight(const rt::Font& wanted);
    int textWidth(const rt::Font& wanted, std::wstring_view text);

private:
    int dpi_;
    LOGFONTW base_;
    std::map<std::tuple<double, bool>, HFONT> fonts_;
};

// Made once per process, before the first window: per-monitor DPI awareness,
// and the themed common controls for as long as it lives.
class ProcessSettings {
public:
    ProcessSettings();
    ~ProcessSettings();
    ProcessSettings(const ProcessSettings&) = delete;
    ProcessSettings& operator=(const ProcessSettings&) = delete;

private:
    HANDLE context_ = INVALID_HANDLE_VALUE;
    ULONG_PTR cookie_ = 0;
};

} // namespace rtwin
