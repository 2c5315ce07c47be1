// The converter window, headless: keystroke scripts against the four texts,
// the status line and the flags they must leave.
#include "frmAbout.h"
#include "frmMain.h"
#include "headless.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

enum class Field { Den, Ascii, Hex, Bin };

// One user action on a field; no action means: let the status line time out.
struct Step {
    Field field;
    std::function<void(rt::TextBox&)> act;
};

Step type(Field f, std::string keys)
{
    return {f, [keys](rt::TextBox& t) { rt::typeKeys(t, keys); }};
}
Step paste(Field f, std::string text)
{
    return {f, [text](rt::TextBox& t) { t.paste(text); }};
}
Step del(Field f)
{
    return {f, [](rt::TextBox& t) { t.pressDelete(); }};
}
Step selectAll(Field f)
{
    return {f, [](rt::TextBox& t) { t.select(0, static_cast<rt::Long>(t.text().size())); }};
}
Step tick() { return {Field::Den, nullptr}; }

constexpr char BS = '\b', ESC = '\x1b';
std::string s(char c) { return std::string(1, c); }

struct Texts {
    std::string den, hex, bin, ascii;
};

struct Script {
    const char* name;
    std::vector<Step> steps;
    Texts want;
    std::string status = "Welcome!";
    bool ended = false;
};

class Window : public ::testing::Test {
protected:
    rt::HeadlessHost host;
    rt::Application app{host};
    frmMain& f = app.defaultInstance<frmMain>();

    void SetUp() override { f.show(); }

    rt::TextBox& field(Field which)
    {
        rt::TextBox* const all[] = {&f.txtDen, &f.txtASCII, &f.txtHex, &f.txtBin};
        return *all[static_cast<int>(which)];
    }

    void run(const std::vector<Step>& steps)
    {
        for (const Step& st : steps)
            st.act ? st.act(field(st.field)) : host.advance(2000);
    }

    Texts texts() { return {f.txtDen.text(), f.txtHex.text(), f.txtBin.text(), f.txtASCII.text()}; }
};

void expectTexts(const Texts& got, const Texts& want)
{
    EXPECT_EQ(got.den, want.den);
    EXPECT_EQ(got.hex, want.hex);
    EXPECT_EQ(got.bin, want.bin);
    EXPECT_EQ(got.ascii, want.ascii);
}

const Texts kEmpty{"", "", "", ""};
const Texts k65{"65", "41", "01000001", "A"};

// ---- Typing into each field

const Script kTyping[] = {
    {"den_6", {type(Field::Den, "6")}, {"6", "06", "00000110", s('\x06')}},
    {"den_leading_zero_rewritten", {type(Field::Den, "01")}, {"1", "01", "00000001", s('\x01')}},
    {"den_fourth_digit_swallowed",
     {type(Field::Den, "2556")},
     {"255", "ff", "11111111", s('\xff')}},
    {"den_fourth_digit_over_selection",
     {type(Field::Den, "255"), selectAll(Field::Den), type(Field::Den, "1")},
     {"255", "ff", "11111111", s('\xff')}},
    {"den_non_digits_swallowed", {type(Field::Den, "a-+. \x01\x7f")}, kEmpty},
    {"den_300_out_of_range",
     {type(Field::Den, "300")},
     {"300", "1e", "00011110", s('\x1e')},
     "Denary must be 0-255"},
    {"ascii_A", {type(Field::Ascii, "A")}, k65},
    {"ascii_A_then_B", {type(Field::Ascii, "AB")}, {"66", "42", "01000010", "B"}},
    {"ascii_enter_keeps_value", {type(Field::Ascii, "A\r")}, k65},
    {"bin_seven_digits_convert_nothing", {type(Field::Bin, "0100000")}, {"", "", "0100000", ""}},
    {"bin_101_enter_pads", {type(Field::Bin, "101\r")}, {"5", "05", "00000101", s('\x05')}},
    {"bin_enter_on_empty", {type(Field::Bin, "\r")}, {"0", "00", "00000000", s('\0')}},
    {"bin_filter",
     {type(Field::Bin, "2a -\x01"
                       "1")},
     {"", "", "1", ""}},
    {"bin_ninth_digit_refused", {type(Field::Bin, "010000011")}, k65},
    {"hex_4a", {type(Field::Hex, "4a")}, {"74", "4a", "01001010", "J"}},
    {"hex_05_keeps_leading_zero", {type(Field::Hex, "05")}, {"5", "05", "00000101", s('\x05')}},
    {"hex_one_char_converts_nothing", {type(Field::Hex, "4")}, {"", "4", "", ""}},
    {"hex_third_char_refused", {type(Field::Hex, "41f")}, k65},
    {"hex_upper_case_rejected", {type(Field::Hex, "4A")}, {"", "4A", "", ""}, "Hex must be 00-FF"},
    {"hex_zz_keeps_old_value",
     {type(Field::Den, "65"), type(Field::Hex, "zz")},
     {"65", "zz", "01000001", "A"},
     "Hex must be 00-FF"},
    // The refill writes "42d" for 685; the cascade leaves "0d", and the
    // write-back of the entry is the echo the flag swallows.
    {"hex_write_back_echo",
     {type(Field::Den, "685"), type(Field::Ascii, "A")},
     k65,
     "Denary must be 0-255"},
    {"hex_retyped_over_entry",
     {type(Field::Hex, "41"), selectAll(Field::Hex), type(Field::Hex, "4a")},
     {"74", "4a", "01001010", "J"}},
};

// ---- Clearing and ending

const Script kClearing[] = {
    {"den_backspace", {type(Field::Den, "65" + s(BS))}, kEmpty},
    {"ascii_backspace", {type(Field::Ascii, "A" + s(BS))}, kEmpty},
    {"bin_backspace", {type(Field::Bin, "01000001" + s(BS))}, kEmpty},
    {"hex_backspace", {type(Field::Hex, "41" + s(BS))}, kEmpty},
    {"den_escape_clears", {type(Field::Den, "65" + s(ESC))}, kEmpty},
    {"ascii_escape_clears", {type(Field::Ascii, "A" + s(ESC))}, kEmpty},
    {"bin_escape_clears", {type(Field::Bin, "0100" + s(ESC))}, kEmpty},
    {"hex_escape_clears", {type(Field::Hex, "4" + s(ESC))}, kEmpty},
    {"den_escape_on_empty_ends", {type(Field::Den, s(ESC) + "7")}, kEmpty, "Welcome!", true},
    {"ascii_escape_on_empty_ends", {type(Field::Ascii, s(ESC) + "A")}, kEmpty, "Welcome!", true},
    {"bin_escape_on_empty_ends", {type(Field::Bin, s(ESC) + "1")}, kEmpty, "Welcome!", true},
    {"hex_escape_on_empty_ends", {type(Field::Hex, s(ESC) + "4")}, kEmpty, "Welcome!", true},
    {"den_delete_leaves_others",
     {type(Field::Den, "65"), selectAll(Field::Den), del(Field::Den)},
     {"", "41", "01000001", "A"}},
    {"den_emptied_by_delete_then_escape_ends",
     {type(Field::Den, "65"), selectAll(Field::Den), del(Field::Den), type(Field::Den, s(ESC))},
     {"", "41", "01000001", "A"},
     "Welcome!",
     true},
};

// ---- Pastes

const Script kPastes[] = {
    {"den_abc",
     {type(Field::Den, "65"), selectAll(Field::Den), paste(Field::Den, "abc")},
     {"abc", "41", "01000001", "A"},
     "Denary must be 0-255"},
    {"bin_other_digits", {paste(Field::Bin, "00000012")}, {"4", "04", "00000100", s('\x04')}},
    {"bin_cut_to_max_length", {paste(Field::Bin, "0100000111")}, k65},
    {"ascii_nul", {paste(Field::Ascii, std::string(1, '\0'))}, {"0", "00", "00000000", s('\0')}},
    {"den_huge_number",
     {paste(Field::Den, std::string(100000, '9'))},
     {std::string(100000, '9'), "", "", ""},
     "Denary must be 0-255"},
    // The binary field writes back the whole number, and every later step reads that.
    {"den_fraction", {paste(Field::Den, "12.5")}, {"12", "0c", "00001100", s('\x0c')}},
};

// ---- Where we mend the handed-down behaviour

const Script kMends[] = {
    // Enter never spreads an out-of-range number into the other fields.
    {"den_300_enter",
     {type(Field::Den, "300\r")},
     {"300", "1e", "00011110", s('\x1e')},
     "Denary must be 0-255"},
    {"den_pasted_negative_then_digit",
     {paste(Field::Den, "-5"), type(Field::Den, "1")},
     {"-51", "", "", ""},
     "Denary must be 0-255"},
    {"den_pasted_256_enter",
     {paste(Field::Den, "256"), tick(), type(Field::Den, "\r")},
     {"256", "", "", ""},
     "Denary must be 0-255"},
    // A failed decimal entry no longer silences later hex failures.
    {"hex_failure_after_out_of_range_denary",
     {type(Field::Den, "300"), tick(), selectAll(Field::Hex), type(Field::Hex, "4A")},
     {"300", "4A", "00011110", s('\x1e')},
     "Hex must be 00-FF"},
    // A clear-all silences only failures inside its own cascade.
    {"hex_failure_after_backspace",
     {type(Field::Hex, "41" + s(BS) + "4A")},
     {"", "4A", "", ""},
     "Hex must be 00-FF"},
    {"hex_failure_after_ascii_key",
     {type(Field::Ascii, "A"), tick(), type(Field::Hex, "zz")},
     {"65", "zz", "01000001", "A"},
     "Hex must be 00-FF"},
    // A successful hex entry does not swallow the next change of the field.
    {"hex_pasted_over_entry",
     {type(Field::Hex, "41"), selectAll(Field::Hex), paste(Field::Hex, "4a")},
     {"74", "4a", "01001010", "J"}},
};

class Scripts : public Window, public ::testing::WithParamInterface<Script> {};

TEST_P(Scripts, LeaveTheFourFieldsAndStatus)
{
    const Script& sc = GetParam();
    run(sc.steps);
    expectTexts(texts(), sc.want);
    EXPECT_EQ(f.txtInfo.text(), sc.status);
    EXPECT_EQ(app.ended(), sc.ended);
    if (!sc.ended) {
        // Between keystrokes no flag is left over.
        EXPECT_FALSE(f.DenaryBusy);
        EXPECT_FALSE(f.SuppressHexError);
        EXPECT_FALSE(f.SkipHexChange);
    }
}

std::string rowName(const ::testing::TestParamInfo<Script>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Typing, Scripts, ::testing::ValuesIn(kTyping), rowName);
INSTANTIATE_TEST_SUITE_P(Clearing, Scripts, ::testing::ValuesIn(kClearing), rowName);
INSTANTIATE_TEST_SUITE_P(Pastes, Scripts, ::testing::ValuesIn(kPastes), rowName);
INSTANTIATE_TEST_SUITE_P(Mends, Scripts, ::testing::ValuesIn(kMends), rowName);

// ---- Every value through every field

TEST_F(Window, EveryValueThroughEveryFieldAgrees)
{
    static const char kHex[] = "0123456789abcdef";
    for (int v = 0; v < 256; ++v) {
        std::string bin;
        for (int b = 7; b >= 0; --b)
            bin += ((v >> b) & 1) ? '1' : '0';
        const Texts want{std::to_string(v), std::string{kHex[v >> 4], kHex[v & 15]}, bin,
                         std::string(1, static_cast<char>(v))};
        const std::pair<Field, std::string> entries[] = {
            {Field::Den, want.den}, {Field::Hex, want.hex}, {Field::Bin, want.bin}};
        for (const auto& [which, keys] : entries) {
            rt::typeKeys(field(which), s(BS) + keys);
            SCOPED_TRACE(keys);
            expectTexts(texts(), want);
        }
        // Control characters cannot be typed; they arrive by paste.
        rt::typeKeys(f.txtASCII, s(BS));
        f.txtASCII.paste(want.ascii);
        expectTexts(texts(), want);
    }
    EXPECT_EQ(f.txtInfo.text(), "Welcome!");
}

// ---- ClearFields

TEST_F(Window, ClearFieldsNeedsTwoCallsWhileDenaryHoldsAValue)
{
    rt::typeKeys(f.txtDen, "65");
    f.ClearFields();
    expectTexts(texts(), {"", "41", "01000001", "A"});
    EXPECT_EQ(f.txtASCII.selLength(), 1);
    f.ClearFields();
    expectTexts(texts(), kEmpty);
}

TEST_F(Window, ClearFieldsOnEmptyFieldsRaisesNothing)
{
    int changes = 0;
    for (rt::TextBox* t : {&f.txtDen, &f.txtHex, &f.txtBin, &f.txtASCII})
        t->onChange = [&changes] { ++changes; };
    f.ClearFields();
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(f.SuppressHexError);
}

// ---- Status line and timer

TEST_F(Window, WelcomeGoesAtTheFirstTick)
{
    host.advance(1999);
    EXPECT_EQ(f.txtInfo.text(), "Welcome!");
    host.advance(1);
    EXPECT_EQ(f.txtInfo.text(), "");
    EXPECT_FALSE(f.tmrEmptyFields.enabled());
}

TEST_F(Window, MessageStaysAFullPeriodThenTimerStops)
{
    host.advance(2500);
    rt::typeKeys(f.txtDen, "999");
    EXPECT_EQ(f.txtInfo.text(), "Denary must be 0-255");
    EXPECT_TRUE(f.tmrEmptyFields.enabled());
    host.advance(1999);
    EXPECT_EQ(f.txtInfo.text(), "Denary must be 0-255");
    host.advance(1);
    EXPECT_EQ(f.txtInfo.text(), "");
    EXPECT_FALSE(f.tmrEmptyFields.enabled());
}

// ---- End

TEST_F(Window, EndStopsEverythingThatFollows)
{
    rt::typeKeys(f.txtASCII, s(ESC));
    ASSERT_TRUE(app.ended());
    EXPECT_TRUE(host.quitRequested());
    // Nothing runs after End: no key, no paste, no timer tick.
    rt::typeKeys(f.txtDen, "65");
    f.txtBin.paste("00000001");
    host.advance(5000);
    expectTexts(texts(), kEmpty);
    EXPECT_EQ(f.txtInfo.text(), "Welcome!");
}

// ---- About window

TEST_F(Window, AboutOpensAndClosesLeavingTheConverterAlone)
{
    rt::typeKeys(f.txtDen, "65");
    f.cmdAbout.click();
    auto& about = app.defaultInstance<frmAbout>();
    ASSERT_TRUE(about.loaded());
    EXPECT_EQ(app.activeForm(), &about);
    about.cmdOK.click();
    EXPECT_FALSE(about.loaded());
    EXPECT_FALSE(host.visible(about));
    EXPECT_FALSE(app.ended());
    expectTexts(texts(), k65);
    EXPECT_EQ(f.txtInfo.text(), "Welcome!");
}

TEST_F(Window, AboutClosesWhenTheConverterIsActivatedAndReopensAnew)
{
    f.cmdAbout.click();
    auto& about = app.defaultInstance<frmAbout>();
    about.Label3.setCaption("stale");
    rt::HeadlessHost::activate(f);
    EXPECT_FALSE(about.loaded());
    f.cmdAbout.click();
    EXPECT_TRUE(about.loaded());
    EXPECT_EQ(&app.defaultInstance<frmAbout>(), &about);
    EXPECT_EQ(about.Label3.caption(), "v2.19");
}

} // namespace
