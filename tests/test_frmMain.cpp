// The converter window, headless: keystroke scripts against the four texts
// and the status line they must leave.
#include "frmMain.h"
#include "headless.h"
#include "product.h"

#include <gtest/gtest.h>

#include <array>
#include <bitset>
#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

using Texts = std::array<std::string, 4>; // denary, hex, binary, character

// Steps are separated by '|': a field (d, a, h, b) then "=keys" to type,
// "+text" to paste, "*" to select all or "-" for Delete; "t" lets the status
// line time out. "\b" is Backspace, "\r" Enter, "\033" Escape.
struct Script {
    const char* name;
    std::string steps;
    Texts want;
    std::string status = "Welcome!";
    bool ended = false;
};
void PrintTo(const Script& sc, std::ostream* os) { *os << sc.name; }

const std::string kDenMsg = "Denary must be 0-255", kHexMsg = "Hex must be 00-FF";
const Texts kEmpty{"", "", "", ""}, k65{"65", "41", "01000001", "A"};
const Texts kJ{"74", "4a", "01001010", "J"}, k5{"5", "05", "00000101", "\x05"};
const Texts k65Deleted{"", "41", "01000001", "A"}; // 65 with the decimal field emptied
const std::string kNines(100000, '9');

class Window : public ::testing::Test {
protected:
    rt::HeadlessHost host;
    rt::Application app{host, kProduct};
    frmMain& f = app.defaultInstance<frmMain>();

    void SetUp() override { f.show(); }

    rt::TextBox& field(char c)
    {
        const std::array fields{&f.txtDen, &f.txtASCII, &f.txtHex, &f.txtBin};
        return *fields.at(std::string("dahb").find(c));
    }

    // Throws on a field or step it does not know, so a mistyped row fails.
    void run(const std::string& steps)
    {
        std::istringstream in(steps);
        for (std::string step; std::getline(in, step, '|');) {
            if (step == "t") {
                host.advance(2000);
                continue;
            }
            rt::TextBox& t = field(step.empty() ? ' ' : step[0]);
            const std::string op = step.substr(1, 1), arg = step.size() > 2 ? step.substr(2) : "";
            if (op == "=")
                rt::typeKeys(t, arg);
            else if (op == "+")
                t.paste(arg);
            else if (step.size() == 2 && op == "*")
                t.select(0, static_cast<rt::Long>(t.text().size()));
            else if (step.size() == 2 && op == "-")
                t.pressDelete();
            else
                throw std::invalid_argument("no step '" + step + "'");
        }
    }

    Texts texts() { return {f.txtDen.text(), f.txtHex.text(), f.txtBin.text(), f.txtASCII.text()}; }
};

const Script kScripts[] = {
    // Typing
    {"den_leading_zero_rewritten", "d=01", {"1", "01", "00000001", "\x01"}},
    {"den_fourth_digit_over_selection", "d=255|d*|d=1", {"255", "ff", "11111111", "\xff"}},
    {"den_non_digits_swallowed", "d=a-+. \x01\x7f", kEmpty},
    {"den_300_out_of_range", "d=300", {"300", "1e", "00011110", "\x1e"}, kDenMsg},
    {"ascii_A_then_B", "a=AB", {"66", "42", "01000010", "B"}},
    {"ascii_enter_keeps_value", "a=A\r", k65},
    {"bin_seven_digits_convert_nothing", "b=0100000", {"", "", "0100000", ""}},
    {"bin_101_enter_pads", "b=101\r", k5},
    {"bin_enter_on_empty", "b=\r", {"0", "00", "00000000", std::string(1, '\0')}},
    {"bin_filter", "b=2a\x01 -1", {"", "", "1", ""}},
    {"bin_ninth_digit_refused", "b=010000011", k65},
    {"hex_one_char_converts_nothing", "h=4", {"", "4", "", ""}},
    {"hex_third_char_refused", "h=41f", k65},
    {"hex_upper_case_rejected", "h=4A", {"", "4A", "", ""}, kHexMsg},
    {"hex_zz_keeps_old_value", "d=65|h=zz", {"65", "zz", "01000001", "A"}, kHexMsg},
    // The refill writes "42d" for 685; the cascade leaves "0d", and the
    // write-back of the entry is the echo the flag swallows.
    {"hex_write_back_echo", "d=685|a=A", k65, kDenMsg},
    {"hex_retyped_over_entry", "h=41|h*|h=4a", kJ},

    // Clearing and ending
    {"den_backspace", "d=65\b", kEmpty},
    {"ascii_backspace", "a=A\b", kEmpty},
    {"bin_backspace", "b=01000001\b", kEmpty},
    {"hex_backspace", "h=41\b", kEmpty},
    {"den_escape_clears", "d=65\033", kEmpty},
    {"ascii_escape_clears", "a=A\033", kEmpty},
    {"bin_escape_clears", "b=0100\033", kEmpty},
    {"hex_escape_clears", "h=4\033", kEmpty},
    {"den_escape_on_empty_ends", "d=\0337", kEmpty, "Welcome!", true},
    {"ascii_escape_on_empty_ends", "a=\033A", kEmpty, "Welcome!", true},
    {"bin_escape_on_empty_ends", "b=\0331", kEmpty, "Welcome!", true},
    {"hex_escape_on_empty_ends", "h=\0334", kEmpty, "Welcome!", true},
    {"den_delete_leaves_others", "d=65|d*|d-", k65Deleted},
    {"nothing_runs_after_end", "a=\033|d=65|b+00000001|t", kEmpty, "Welcome!", true},
    {"den_emptied_then_escape_ends", "d=65|d*|d-|d=\033", k65Deleted, "Welcome!", true},

    // The status line
    {"welcome_goes_at_the_first_tick", "t", kEmpty, ""},
    {"message_goes_a_full_period_later", "t|d=999|t", {"999", "63", "01100011", "c"}, ""},

    // Pastes
    {"den_abc", "d=65|d*|d+abc", {"abc", "41", "01000001", "A"}, kDenMsg},
    {"bin_other_digits", "b+00000012", {"4", "04", "00000100", "\x04"}},
    {"bin_cut_to_max_length", "b+0100000111", k65},
    {"ascii_nul", "a+" + std::string(1, '\0'), {"0", "00", "00000000", std::string(1, '\0')}},
    {"den_huge_number", "d+" + kNines, {kNines, "", "", ""}, kDenMsg},
    // The binary field writes back the whole number, and every later step reads that.
    {"den_fraction", "d+12.5", {"12", "0c", "00001100", "\x0c"}},

    // Where we mend the handed-down behaviour.
    // Enter never spreads an out-of-range number into the other fields.
    {"den_300_enter", "d=300\r", {"300", "1e", "00011110", "\x1e"}, kDenMsg},
    {"den_pasted_negative_then_digit", "d+-5|d=1", {"-51", "", "", ""}, kDenMsg},
    {"den_pasted_256_enter", "d+256|t|d=\r", {"256", "", "", ""}, kDenMsg},
    // A failed decimal entry no longer silences later hex failures.
    {"hex_failure_after_bad_denary", "d=300|t|h*|h=4A", {"300", "4A", "00011110", "\x1e"}, kHexMsg},
    // A clear-all silences only failures inside its own cascade.
    {"hex_failure_after_backspace", "h=41\b4A", {"", "4A", "", ""}, kHexMsg},
    {"hex_failure_after_ascii_key", "a=A|t|h=zz", {"65", "zz", "01000001", "A"}, kHexMsg},
    // A successful hex entry does not swallow the next change of the field.
    {"hex_pasted_over_entry", "h=41|h*|h+4a", kJ},
};

class Scripts : public Window, public ::testing::WithParamInterface<Script> {};

TEST_P(Scripts, LeaveTheFourFieldsAndTheStatusLine)
{
    const Script& sc = GetParam();
    run(sc.steps);
    EXPECT_EQ(texts(), sc.want);
    EXPECT_EQ(f.txtInfo.text(), sc.status);
    EXPECT_EQ(app.ended(), sc.ended);
}

INSTANTIATE_TEST_SUITE_P(Window, Scripts, ::testing::ValuesIn(kScripts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Window, EveryValueThroughEveryFieldAgrees)
{
    for (int v = 0; v < 256; ++v) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", v);
        const std::string den = std::to_string(v), bin = std::bitset<8>(v).to_string();
        const Texts want{den, hex, bin, std::string(1, static_cast<char>(v))};
        for (const std::string& steps : {"d=\b" + den, "h=\b" + std::string(hex), "b=\b" + bin}) {
            SCOPED_TRACE(steps);
            run(steps);
            EXPECT_EQ(texts(), want);
        }
        // Control characters cannot be typed; they arrive by paste.
        run("a=\b");
        f.txtASCII.paste(want[3]);
        EXPECT_EQ(texts(), want);
    }
    EXPECT_EQ(f.txtInfo.text(), "Welcome!");
}

} // namespace
