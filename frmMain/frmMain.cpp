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

// The field inside a frame sits at the same place in each of the four frames.
constexpr rt::Rect kFieldInFrame{120, 240, 2775, 375};

} // namespace

frmMain::frmMain(rt::Application& app)
    : rt::Form(app, "frmMain", "Numberwell", 6330, 2145, rt::Picture::ProgramIcon),
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
    txtInfo.setBackColor({192, 255, 192});
    txtInfo.setAccessibleName("Status");
    txtInfo.setAccessibleRole(rt::TextBox::Role::Status);
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
    txtASCII.onChange = [this] { txtASCII_Change(); };
    txtBin.onChange = [this] { txtBin_Change(); };
    txtHex.onChange = [this] { txtHex_Change(); };
    txtDen.onKeyPress = [this](rt::Integer& k) { txtDen_KeyPress(k); };
    txtASCII.onKeyPress = [this](rt::Integer& k) { txtASCII_KeyPress(k); };
    txtBin.onKeyPress = [this](rt::Integer& k) { txtBin_KeyPress(k); };
    txtHex.onKeyPress = [this](rt::Integer& k) { txtHex_KeyPress(k); };
}

// ---- Shared operations

// Each field in turn; a write that fails is skipped.
void frmMain::emptyInOrder(std::initializer_list<rt::TextBox*> fields)
{
    for (rt::TextBox* field : fields)
        resumeNext([&] { field->setText(""); });
}

void frmMain::ClearFields()
{
    // The decimal field goes last: emptying the character field while it still
    // holds a value refills the other three from it (see ClearFieldsTwice).
    emptyInOrder({&txtHex, &txtBin, &txtASCII, &txtDen});
}

// The first call can leave three fields refilled from the decimal value it
// empties last; the second finds nothing to refill from.
void frmMain::ClearFieldsTwice()
{
    ClearFields();
    ClearFields();
}

// One pass empties all four: with the decimal field gone first, the character
// field's Change finds nothing to refill from.
void frmMain::emptyFieldsDenaryFirst() { emptyInOrder({&txtDen, &txtBin, &txtHex, &txtASCII}); }

// Backspace empties the four fields, its own field first.
void frmMain::backspaceIn(rt::TextBox& field)
{
    resumeNext([&] { field.setText(""); });
    ClearFieldsTwice();
}

// Escape empties the four fields, or ends the program when its field is empty.
void frmMain::escapeFrom(const rt::TextBox& field)
{
    if (field.text().empty())
        app().end();
    emptyFieldsDenaryFirst();
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

// The other three fields from the decimal text; a step that fails is skipped.
void frmMain::fillFromDenary()
{
    resumeNext([&] { txtBin.setText(DenToBin(txtDen.text())); });
    resumeNext([&] { txtHex.setText(DenToHex(txtDen.text())); });
    resumeNext([&] { txtASCII.setText(DenToAscii(rt::ToInteger(txtDen.text()))); });
}

// The decimal field from the character, then binary and hex from the decimal
// field as it then stands; a step that fails is skipped.
void frmMain::fillFromCharacter()
{
    resumeNext([&] { txtDen.setText(rt::Str(AsciiToDen(txtASCII.text()))); });
    resumeNext([&] { txtBin.setText(DenToBin(txtDen.text())); });
    resumeNext([&] { txtHex.setText(DenToHex(txtDen.text())); });
}

// The binary entry padded, then the other three from it; a failure goes to
// the caller.
void frmMain::fillFromBinary()
{
    txtBin.setText(PadBinary(txtBin.text()));
    txtDen.setText(BinToDen(txtBin.text()));
    txtASCII.setText(DenToAscii(rt::ToInteger(txtDen.text())));
    txtHex.setText(DenToHex(txtDen.text()));
}

void frmMain::cmdAbout_Click() { app().defaultInstance<frmAbout>().show(); }

// ---- Decimal field

void frmMain::txtDen_Change()
{
    if (txtDen.text().empty())
        return;
    if (denaryOutOfRange()) {
        showStatus("Denary must be 0-255");
        return;
    }
    fillFromDenary();
    selectAllFields();
}

void frmMain::txtDen_KeyPress(rt::Integer& KeyAscii)
{
    if (KeyAscii == kBackspace) {
        backspaceIn(txtDen);
        return;
    }
    const bool enterOrEscape = KeyAscii == kEnter || KeyAscii == kEscape;
    if (txtDen.text().size() == 3 && !enterOrEscape) {
        KeyAscii = 0;
        return;
    }
    if (resumeTest([&] { return !rt::IsNumeric(rt::Chr(KeyAscii)); }) && !enterOrEscape) {
        KeyAscii = 0;
        return;
    }
    // The text as it stood before the key; converted only when it is a value
    // the fields can show, so Enter never spreads an out-of-range number.
    if (!denaryOutOfRange())
        fillFromDenary();
    else if (KeyAscii == kEnter && !txtDen.text().empty())
        showStatus("Denary must be 0-255");
    if (KeyAscii == kEscape)
        escapeFrom(txtDen);
}

// ---- Character field

void frmMain::txtASCII_Change()
{
    fillFromCharacter();
    selectAllFields();
}

void frmMain::txtASCII_KeyPress(rt::Integer& KeyAscii)
{
    ClearFields();
    if (KeyAscii == kBackspace)
        ClearFieldsTwice();
    fillFromCharacter();
    if (KeyAscii == kEscape)
        escapeFrom(txtASCII);
}

// ---- Binary field

void frmMain::txtBin_Change()
{
    if (txtBin.text().size() != 8)
        return;
    // Its padding write finds eight characters and changes nothing.
    fillFromBinary();
    selectAllFields();
}

void frmMain::txtBin_KeyPress(rt::Integer& KeyAscii)
{
    rt::goToHandler([&] {
        if (KeyAscii == kBackspace)
            ClearFieldsTwice();
        if ((KeyAscii > '1' || KeyAscii < '0') && KeyAscii != kEnter && KeyAscii != kEscape)
            KeyAscii = 0;
        if (KeyAscii == kEnter)
            fillFromBinary();
        if (KeyAscii == kEscape)
            escapeFrom(txtBin);
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
        // Only the user's own entry can fail here, so every failure is reported.
        [&](const rt::Error&) { showStatus("Hex must be 00-FF"); });
}

void frmMain::txtHex_KeyPress(rt::Integer& KeyAscii)
{
    if (KeyAscii == kBackspace)
        backspaceIn(txtHex);
    else if (KeyAscii == kEscape)
        escapeFrom(txtHex);
}
