#include "frmMain.h"

#include "conversion.h"
#include "frmAbout.h"
#include "policy.h"

using namespace conv;
using rt::resumeNext;
using rt::resumeTest;

namespace {

constexpr rt::Integer kBackspace = 8;
constexpr rt::Integer kEnter = 13;
constexpr rt::Integer kEscape = 27;

constexpr rt::Rgb kStatusGreen{192, 255, 192};

// The field inside a frame sits at the same place in each of the four frames.
constexpr rt::Rect kFieldInFrame{120, 240, 2775, 375};

} // namespace

frmMain::frmMain(rt::Application& app)
    : rt::Form(app, "frmMain", "Numberwell", 6330, 2145, kProgramIcon),
      cmdAbout(*this, "cmdAbout", nullptr, {5520, 1680, 735, 375}, 4, "About"),
      txtInfo(*this, "txtInfo", nullptr, {120, 1680, 5295, 375}, 9),
      tmrEmptyFields(*this, "tmrEmptyFields", 2000, true),
      fraascii(*this, "fraascii", {3240, 0, 3015, 735}, 8, "Ascii"),
      txtASCII(*this, "txtASCII", &fraascii, kFieldInFrame, 2),
      frahex(*this, "frahex", {120, 840, 3015, 735}, 7, "Hex"),
      txtHex(*this, "txtHex", &frahex, kFieldInFrame, 1),
      frabin(*this, "frabin", {3240, 840, 3015, 735}, 6, "Binary"),
      txtBin(*this, "txtBin", &frabin, kFieldInFrame, 3),
      fraden(*this, "fraden", {120, 0, 3015, 735}, 5, "Denary"),
      txtDen(*this, "txtDen", &fraden, kFieldInFrame, 0)
{
    txtInfo.setText("Welcome!");
    txtInfo.setEnabled(false);
    txtInfo.setBackColor(&kStatusGreen);
    txtInfo.setAccessibleName("Status");
    txtASCII.setMaxLength(1);
    txtHex.setMaxLength(2);
    txtBin.setMaxLength(8);
    // Screen readers name each field after its frame.
    txtDen.setAccessibleName("Denary");
    txtASCII.setAccessibleName("Ascii");
    txtHex.setAccessibleName("Hex");
    txtBin.setAccessibleName("Binary");

    cmdAbout.onClick = [this] { cmdAbout_Click(); };
    tmrEmptyFields.onTimer = [this] { tmrEmptyFields_Timer(); };
    txtDen.onChange = [this] { txtDen_Change(); };
    txtDen.onKeyPress = [this](rt::Integer& k) { txtDen_KeyPress(k); };
    txtASCII.onChange = [this] { txtASCII_Change(); };
    txtASCII.onKeyPress = [this](rt::Integer& k) { txtASCII_KeyPress(k); };
    txtBin.onChange = [this] { txtBin_Change(); };
    txtBin.onKeyPress = [this](rt::Integer& k) { txtBin_KeyPress(k); };
    txtHex.onChange = [this] { txtHex_Change(); };
    txtHex.onKeyPress = [this](rt::Integer& k) { txtHex_KeyPress(k); };
}

// ---- Shared operations

void frmMain::ClearFields()
{
    SuppressHexError = true;
    resumeNext([&] { txtHex.setText(""); });
    resumeNext([&] { txtBin.setText(""); });
    // Emptying the character field while txtDen still holds a value refills
    // the other three from it; a second call is needed to empty them.
    resumeNext([&] { txtASCII.setText(""); });
    resumeNext([&] { txtDen.setText(""); });
    // The flag silences only a failure inside this call's own cascade.
    SuppressHexError = false;
}

void frmMain::showStatus(const rt::Text& message)
{
    txtInfo.setText(message);
    tmrEmptyFields.setEnabled(true);
}

void frmMain::tmrEmptyFields_Timer()
{
    tmrEmptyFields.setEnabled(false);
    txtInfo.setText("");
}

void frmMain::selectAllFields()
{
    txtDen.setSelLength(static_cast<rt::Long>(txtDen.text().size()));
    txtBin.setSelLength(static_cast<rt::Long>(txtBin.text().size()));
    txtASCII.setSelLength(static_cast<rt::Long>(txtASCII.text().size()));
    txtHex.setSelLength(static_cast<rt::Long>(txtHex.text().size()));
}

// A text that is not a number counts as out of range.
bool frmMain::denaryOutOfRange()
{
    return resumeTest([&] { return rt::ToDouble(txtDen.text()) > 255; }) ||
           resumeTest([&] { return rt::ToDouble(txtDen.text()) < 0; });
}

void frmMain::emptyAllFields()
{
    // txtDen goes first, so the character field's Change finds nothing to refill from.
    resumeNext([&] { txtDen.setText(""); });
    resumeNext([&] { txtBin.setText(""); });
    resumeNext([&] { txtHex.setText(""); });
    resumeNext([&] { txtASCII.setText(""); });
}

void frmMain::cmdAbout_Click() { app().defaultInstance<frmAbout>().show(); }

// ---- Decimal field

void frmMain::txtDen_Change()
{
    if (txtDen.text().empty())
        return;
    DenaryBusy = true;
    if (denaryOutOfRange()) {
        showStatus("Denary must be 0-255");
        DenaryBusy = false;
        return;
    }
    resumeNext([&] { txtBin.setText(DenToBin(txtDen.text())); });
    resumeNext([&] { txtHex.setText(DenToHex(txtDen.text())); });
    resumeNext([&] { txtASCII.setText(DenToAscii(rt::ToInteger(txtDen.text()))); });
    selectAllFields();
    DenaryBusy = false;
}

void frmMain::txtDen_KeyPress(rt::Integer& KeyAscii)
{
    if (KeyAscii == kBackspace) {
        resumeNext([&] { txtDen.setText(""); });
        ClearFields();
        ClearFields();
        return;
    }
    const bool control = KeyAscii == kEscape || KeyAscii == kBackspace || KeyAscii == kEnter;
    if (txtDen.text().size() == 3 && !control) {
        KeyAscii = 0;
        return;
    }
    if (resumeTest([&] { return !rt::IsNumeric(rt::Chr(KeyAscii)); }) && !control) {
        KeyAscii = 0;
        return;
    }
    // The text as it stood before the key; converted only when it is a value
    // the fields can show, so Enter never spreads an out-of-range number.
    if (!denaryOutOfRange()) {
        resumeNext([&] { txtBin.setText(DenToBin(txtDen.text())); });
        resumeNext([&] { txtHex.setText(DenToHex(txtDen.text())); });
        resumeNext([&] { txtASCII.setText(DenToAscii(rt::ToInteger(txtDen.text()))); });
    } else if (KeyAscii == kEnter && !txtDen.text().empty()) {
        showStatus("Denary must be 0-255");
    }
    if (KeyAscii == kEscape && txtDen.text().empty())
        app().end();
    if (KeyAscii == kEscape && !txtDen.text().empty())
        emptyAllFields();
}

// ---- Character field

void frmMain::txtASCII_Change()
{
    resumeNext([&] { txtDen.setText(rt::Str(AsciiToDen(txtASCII.text()))); });
    resumeNext([&] { txtBin.setText(DenToBin(txtDen.text())); });
    resumeNext([&] { txtHex.setText(DenToHex(txtDen.text())); });
    selectAllFields();
}

void frmMain::txtASCII_KeyPress(rt::Integer& KeyAscii)
{
    ClearFields();
    if (KeyAscii == kBackspace) {
        ClearFields();
        ClearFields();
    }
    resumeNext([&] { txtDen.setText(rt::Str(AsciiToDen(txtASCII.text()))); });
    resumeNext([&] { txtBin.setText(DenToBin(txtDen.text())); });
    resumeNext([&] { txtHex.setText(DenToHex(txtDen.text())); });
    if (KeyAscii == kEscape && txtASCII.text().empty())
        app().end();
    if (KeyAscii == kEscape && !txtASCII.text().empty())
        emptyAllFields();
}

// ---- Binary field

void frmMain::txtBin_Change()
{
    if (txtBin.text().size() != 8)
        return;
    txtBin.setText(PadBinary(txtBin.text()));
    txtDen.setText(BinToDen(txtBin.text()));
    txtASCII.setText(DenToAscii(rt::ToInteger(txtDen.text())));
    txtHex.setText(DenToHex(txtDen.text()));
    selectAllFields();
}

void frmMain::txtBin_KeyPress(rt::Integer& KeyAscii)
{
    rt::goToHandler([&] {
        if (KeyAscii == kBackspace) {
            ClearFields();
            ClearFields();
        }
        if ((KeyAscii > '1' || KeyAscii < '0') && KeyAscii != kEnter && KeyAscii != kEscape)
            KeyAscii = 0;
        if (KeyAscii == kEnter) {
            txtBin.setText(PadBinary(txtBin.text()));
            txtDen.setText(BinToDen(txtBin.text()));
            txtASCII.setText(DenToAscii(rt::ToInteger(txtDen.text())));
            txtHex.setText(DenToHex(txtDen.text()));
        }
        if (txtBin.text().empty() && KeyAscii == kEscape)
            app().end();
        if (!txtBin.text().empty() && KeyAscii == kEscape)
            emptyAllFields();
    });
}

// ---- Hex field

void frmMain::txtHex_Change()
{
    rt::goToHandler(
        [&] {
            if (SkipHexChange) {
                SkipHexChange = false;
                return;
            }
            if (txtHex.text().size() < 2)
                return;
            const rt::Text Saved = txtHex.text();
            txtDen.setText(HexToDen(txtHex.text()));
            txtBin.setText(DenToBin(txtDen.text()));
            txtASCII.setText(DenToAscii(rt::ToInteger(txtDen.text())));
            SkipHexChange = true;
            txtHex.setText(Saved);
            // The flag covers only the echo of this write, not the user's next edit.
            SkipHexChange = false;
            selectAllFields();
        },
        [&](const rt::Error&) {
            if (DenaryBusy)
                return;
            if (txtHex.text().size() < 2)
                return;
            if (SuppressHexError) {
                SuppressHexError = false;
                return;
            }
            showStatus("Hex must be 00-FF");
        });
}

void frmMain::txtHex_KeyPress(rt::Integer& KeyAscii)
{
    if (KeyAscii == kBackspace) {
        SkipHexChange = false;
        resumeNext([&] { txtHex.setText(""); });
        ClearFields();
        ClearFields();
        return;
    }
    if (KeyAscii == kEscape && txtHex.text().empty())
        app().end();
    if (KeyAscii == kEscape && !txtHex.text().empty())
        emptyAllFields();
}
