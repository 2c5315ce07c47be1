// The forms runtime: event semantics, the host contract, timers, windows,
// start-up, layout and the text that crosses to a toolkit, on small windows.
#include "boundary.h"
#include "codepage.h"
#include "headless.h"
#include "layout.h"
#include "outcome.h"
#include "policy.h"
#include "program.h"

#include <string>
#include <tuple>
#include <vector>

namespace {

using Log = std::vector<std::string>;

struct Probe : rt::Form {
    explicit Probe(rt::Application& app) : rt::Form(app, "Probe", "Probe", 3000, 2000, {}) {}
    rt::TextBox a{*this, "a", nullptr, {}, 1};
    rt::TextBox b{*this, "b", nullptr, {}, 0};
    rt::Timer tick{*this, "tick", 100, true};
};

struct Other : rt::Form {
    explicit Other(rt::Application& app) : rt::Form(app, "Other", "Other", 100, 100, {}) {}
};

// The headless host, logging what the model tells it.
struct RecordingHost : rt::HeadlessHost {
    Log calls;
    void formLoaded(rt::Form& f) override { calls.push_back("loaded " + f.name()); }
    void formShown(rt::Form& f) override { HeadlessHost::formShown(f), calls.push_back("shown"); }
    void formUnloaded(rt::Form&) override { calls.push_back("-"); }
    void exec() override { calls.push_back("exec"); }
};

struct Runtime : ::testing::Test {
    RecordingHost host;
    rt::Application app{host, {"Probe", "", 1, 2}};
    Probe& p = app.defaultInstance<Probe>();
    Log log;

    void SetUp() override
    {
        p.show();
        p.a.onChange = [this] { log.push_back("change"); };
        p.a.onKeyPress = [this](rt::Integer& k) { log.push_back("key " + std::to_string(k)); };
    }
};

constexpr rt::Integer kSet = -1, kPaste = -2, kCut = -3, kDelete = -4, kOff = 1000;

TEST_F(Runtime, EditsChangeTheTextAndRaiseChangeOnlyWhenItDiffers)
{
    // before, max length, edit (+kOff: on a disabled field), after, events; "XYZ" is set or pasted
    const std::tuple<std::string, int, int, std::string, Log> rows[] = {
        {"ab[]", 0, kSet, "[]XYZ", {"change"}},
        {"XYZ[]", 0, kSet, "XYZ[]", {}},
        {"a[bc]d", 0, 'x', "ax[]d", {"key 120", "change"}},
        {"a[b]", 2, 'x', "ax[]", {"key 120", "change"}},
        {"ab[]", 2, 'x', "ab[]", {"key 120"}},
        {"a[bc]d", 0, 8, "a[]d", {"key 8", "change"}},
        {"ab[]", 0, 8, "a[]", {"key 8", "change"}},
        {"[]ab", 0, 8, "[]ab", {"key 8"}},
        {"[]", 0, 255, "\xff[]", {"key 255", "change"}},
        {"ab[]", 0, 31, "ab[]", {"key 31"}},
        {"ab[]", 0, 127, "ab[]", {"key 127"}},
        {"ab[]", 0, 300, "ab[]", {"key 300"}},
        {"a[]bc", 0, kDelete, "a[]c", {"change"}},
        {"ab[]", 0, kDelete, "ab[]", {}},
        {"a[bc]d", 0, kCut, "a[]d", {"change", "cut bc"}},
        {"a[]", 2, kPaste, "aX[]", {"change"}},
        {"[ab]", 2, kPaste, "XY[]", {"change"}},
        {"abc[]", 2, kPaste, "abc[]", {}},
        {"abc[]", 2, kSet, "[]XYZ", {"change"}}, // code is never cut to fit
        {"a[b]c", 0, 'x' + kOff, "a[b]c", {}},
        {"a[b]c", 0, kPaste + kOff, "a[b]c", {}},
        {"a[b]c", 0, kCut + kOff, "a[b]c", {"cut "}},
        {"a[b]c", 0, kDelete + kOff, "a[b]c", {}},
        {"a[b]c", 0, kSet + kOff, "[]XYZ", {"change"}}, // only code edits a disabled field
    };
    for (const auto& [before, maxLength, edit, after, events] : rows) {
        SCOPED_TRACE(before + " -> " + after);
        p.a.setEnabled(edit < kOff - 10);
        p.a.setMaxLength(maxLength);
        load(p.a, before);
        log.clear();
        const int e = edit < kOff - 10 ? edit : edit - kOff;
        e == kSet      ? p.a.setText("XYZ")
        : e == kPaste  ? p.a.paste("XYZ")
        : e == kCut    ? log.push_back("cut " + p.a.cut())
        : e == kDelete ? p.a.pressDelete()
                       : p.a.typeKey(static_cast<rt::Integer>(e));
        EXPECT_EQ(shown(p.a), after);
        EXPECT_EQ(log, events);
    }
}

// Were the nested Change raised late, "after" would be logged before End.
TEST_F(Runtime, EndInANestedChangeStopsTheOuterHandlerThroughAnErrorPolicy)
{
    p.b.onChange = [&] { app.end(); };
    p.a.onChange = [&] {
        rt::resumeNext([&] { p.b.setText("x"); });
        log.push_back("after");
    };
    rt::typeKeys(p.a, "1");
    EXPECT_EQ(log, Log{"key 49"});
    EXPECT_TRUE(app.ended() && host.quitRequested());
    EXPECT_EQ(app.exitCode(), 0);
}

TEST_F(Runtime, TimersAndDefaultInstancesFollowLoadingAndTheLastUnloadEndsTheProgram)
{
    auto& other = app.defaultInstance<Other>();
    other.onLoad = [&] { log.push_back("load"); };
    other.onDeactivate = [&] { other.unload(); };
    p.tick.onTimer = [&] { log.push_back(std::to_string(host.now())); };
    host.advance(350);
    p.tick.setEnabled(false);
    host.advance(500);
    p.tick.setEnabled(true); // a new period starts now
    other.show();
    p.userActivate(); // Deactivate unloads it
    other.show();
    host.advance(150);
    p.tick.setEnabled(true); // enabled while it runs: the period starts again
    host.advance(120);
    p.userClose();
    host.advance(1000);
    EXPECT_EQ(log, (Log{"100", "200", "300", "load", "load", "950", "1100"}));
    EXPECT_FALSE(host.quitRequested());
    other.userClose();
    EXPECT_TRUE(host.quitRequested());
}

// Start-up and teardown: the loop runs only when start-up did not end the
// program, and an error no handler takes ends it with a message.
TEST(Program, LoadsShowsRunsTheLoopAndTakesTheWindowsDownBeforeTheModelGoes)
{
    // whether Load fails, exit code, the host's calls, errors
    const std::tuple<bool, int, Log, Log> rows[] = {
        {false, 0, {"loaded Probe", "shown", "exec", "-"}, {}},
        {true, 1, {"loaded Probe", "-"}, {"Run-time error: invalid argument"}},
    };
    for (const auto& row : rows) {
        const auto& [fails, code, calls, errors] = row;
        RecordingHost host;
        EXPECT_EQ(rt::run(host, {},
                          [&](rt::Application& a) -> rt::Form& {
                              auto& p = a.defaultInstance<Probe>();
                              if (std::get<0>(row))
                                  p.onLoad = [] { (void)rt::Chr(256); };
                              return p;
                          }),
                  code);
        EXPECT_EQ(host.calls, calls);
        EXPECT_EQ(host.errors(), errors);
    }
}

// ---- Layout

struct Grid : rt::Form {
    explicit Grid(rt::Application& app) : rt::Form(app, "Grid", "", 3000, 2145, {}) {}
    rt::Frame left{*this, "left", {120, 0, 1440, 735}, 1, "L"};
    rt::TextBox inLeft{*this, "inLeft", &left, {120, 240, 1200, 375}, 0};
    rt::Frame right{*this, "right", {1560, 0, 1440, 735}, 2, "R"};
    rt::Frame below{*this, "below", {120, 840, 1440, 735}, 3, "B"};
    rt::TextBox inBelow{*this, "inBelow", &below, {120, 240, 1200, 375}, 5};
    rt::Label label{*this, "label", {120, 1680, 300, 255}, 4, "caption", {}};
};

// Twips to pixels at 96 dpi, rounded once; a caption that needs more room
// grows its row and pushes the rows below down.
TEST(Layout, ACaptionThatNeedsMoreRoomGrowsItsRowAndPushesTheRowsBelowDown)
{
    rt::HeadlessHost host;
    rt::Application app(host, {});
    auto& g = app.defaultInstance<Grid>();
    // A 20-pixel caption row and a 50 x 21 label caption need more room than the twips give.
    const rt::Layout grown(g, 96,
                           {[](const rt::Frame&) { return 20; },
                            [](const rt::Label&) { return 50; },
                            [](const rt::Label&) { return 21; }});
    // control, in the window
    const std::pair<const rt::Control*, rt::PixelRect> rows[] = {
        {&g.left, {8, 0, 96, 53}},    {&g.inLeft, {16, 20, 80, 25}},
        {&g.right, {104, 0, 96, 49}}, // nothing inside: keeps its height
        {&g.below, {8, 60, 96, 53}},  // moved by what grew above
        {&g.label, {8, 120, 50, 21}}, // down to its font's line
    };
    for (const auto& [control, rect] : rows)
        EXPECT_EQ(grown.inWindow(*control), rect) << control->name();
    EXPECT_EQ(grown.clientHeight(), 151);
    EXPECT_EQ(grown.rect(g.inLeft).top, 20) << "in its frame";
}

// Reference figures as WCAG 2 contrast checkers publish them.
TEST(Colours, ContrastIsTheWcagRatio)
{
    const std::tuple<rt::Rgb, rt::Rgb, double> rows[] = {{{0, 0, 0}, {255, 255, 255}, 21.0},
                                                         {{119, 119, 119}, {255, 255, 255}, 4.48},
                                                         {{0, 0, 255}, {255, 255, 255}, 8.59}};
    for (const auto& [a, b, ratio] : rows)
        EXPECT_NEAR(rt::contrastRatio(b, a), ratio, 0.01) << int(a.r) << "," << int(a.b);
}

// ---- Text and keys across the toolkit boundary

TEST(Boundary, WhatTheCodePageLacksArrivesAsOneQuestionMarkAndCommandChordsTypeOnlyControlCodes)
{
    // UTF-16 in, field bytes out: a surrogate pair is one character, a lone half too
    const std::pair<std::u16string, rt::Text> text[] = {
        {u"\u4E2Dx", "?x"}, {u"\U0001F600", "?"}, {u"\xD800x", "?x"}, {u"\u2400", "?"}};
    for (const auto& [utf16, bytes] : text)
        EXPECT_EQ(rt::fromUtf16(utf16), bytes);
    EXPECT_EQ(rt::keyCode(U'\u20AC'), 128);
    // control, alt, meta, character, types it
    const std::tuple<bool, bool, bool, char32_t, bool> keys[] = {
        {false, false, false, U'a', true},   {true, false, false, U'a', false},
        {false, false, true, U'a', false},   {true, true, false, U'@', true}, // AltGr
        {false, true, false, U'a', true},    {true, false, false, U'\x02', true},
        {true, false, false, U'\x7f', false}};
    for (const auto& [control, alt, meta, ch, types] : keys)
        EXPECT_EQ(rt::typesCharacter({control, alt, meta}, ch), types)
            << control << alt << meta << ' ' << unsigned(ch);
}

// Each byte one UTF-16 unit, for a control to show and for the clipboard.
TEST(CodePage, MapsBothWaysRefusesWhatItCannotHoldAndPicturesTheInvisible)
{
    using namespace rt::codepage;
    // byte, code point, what a field shows
    const std::tuple<unsigned char, char32_t, char32_t> rows[] = {
        {0x80, 0x20AC, 0x20AC}, {0x81, 0x0081, 0x0081}, {0x9F, 0x0178, 0x0178},
        {0x00, 0x0000, 0x2400}, {0x7F, 0x007F, 0x2421}, {0xFF, 0x00FF, 0x00FF}};
    for (const auto& [byte, ch, picture] : rows) {
        const rt::Text text(1, static_cast<char>(byte));
        EXPECT_EQ(rt::toDisplay(text), std::u16string(1, static_cast<char16_t>(picture)));
        EXPECT_EQ(rt::toUtf16(text), std::u16string(1, static_cast<char16_t>(ch)));
    }
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(fromUnicode(toUnicode(static_cast<unsigned char>(b))), b);
    for (const char32_t ch : {0x0080u, 0x009Fu, 0x0100u, 0x2400u, 0x1F600u})
        EXPECT_FALSE(fromUnicode(ch).has_value()) << unsigned(ch);
}

} // namespace
