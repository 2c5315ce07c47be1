// What crosses between field text and a toolkit, which both bindings speak
// in UTF-16: text to show, text for the clipboard, text typed or pasted back,
// and which typed keys count as characters.
#pragma once

#include "coerce.h"

#include <string>
#include <string_view>

namespace rt {

// Each byte becomes one UTF-16 unit, so a control's positions and the field's
// byte offsets stay the same.
std::u16string toDisplay(const Text& text); // control pictures for 0-31 and 127
std::u16string toUtf16(const Text& text);   // the real characters, for the clipboard

// What the code page cannot hold arrives as "?", typed or pasted alike; a
// surrogate pair is one character.
Integer keyCode(char32_t ch);
Text fromUtf16(std::u16string_view text);

struct KeyModifiers {
    bool control = false, alt = false, meta = false;
};

// A command chord: Control or Meta without Alt (AltGr arrives as Control+Alt).
bool isCommand(KeyModifiers modifiers);

// Whether a key that produced `ch` types it: a command chord types nothing,
// unless it produced a control code, as Control+letter does.
bool typesCharacter(KeyModifiers modifiers, char32_t ch);

} // namespace rt
