// The converter window: one byte value in four fields that drive one another.
// Every handler works step by step on the fields, re-reading them at each
// step; a write into a field runs that field's Change handler before it
// returns, and that nesting (with the flags below) is what keeps the fields
// consistent. Conversions come from conversion.h.
#pragma once

#include "forms.h"

#include <initializer_list>

class frmMain : public rt::Form {
public:
    explicit frmMain(rt::Application& app);

    // Controls, in creation order.
    rt::CommandButton cmdAbout;
    rt::TextBox txtInfo;
    rt::Timer tmrEmptyFields;
    rt::Frame fraascii;
    rt::TextBox txtASCII;
    rt::Frame frahex;
    rt::TextBox txtHex;
    rt::Frame frabin;
    rt::TextBox txtBin;
    rt::Frame fraden;
    rt::TextBox txtDen;

    // The next Change of txtHex is the echo of its own write-back. No flag marks a
    // decimal entry in flight or a clear-all: a hex entry fails only as the user's own.
    bool SkipHexChange = false;

    void ClearFields();

    void cmdAbout_Click();
    void tmrEmptyFields_Timer();
    void txtDen_Change();
    void txtASCII_Change();
    void txtBin_Change();
    void txtHex_Change();
    void txtDen_KeyPress(rt::Integer& KeyAscii);
    void txtASCII_KeyPress(rt::Integer& KeyAscii);
    void txtBin_KeyPress(rt::Integer& KeyAscii);
    void txtHex_KeyPress(rt::Integer& KeyAscii);

private:
    void showStatus(const rt::Text& message);
    void selectAllFields();
    bool denaryOutOfRange();
    void fillFromDenary();
    void fillFromCharacter();
    void fillFromBinary();
    void emptyInOrder(std::initializer_list<rt::TextBox*> fields);
    void ClearFieldsTwice();
    void emptyFieldsDenaryFirst();
    void backspaceIn(rt::TextBox& field);
    void escapeFrom(const rt::TextBox& field);
};
