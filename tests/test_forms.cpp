// The forms runtime's event semantics, timers, windows and code page, on a
// small window made for the purpose.
#include "codepage.h"
#include "headless.h"
#include "policy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Probe : rt::Form {
    explicit Probe(rt::Application& app) : rt::Form(app, "Probe", "Probe", 3000, 2000, "") {}
    rt::TextBox a{*this, "a", nullptr, {}, 1};
    rt::TextBox b{*this, "b", nullptr, {}, 0};
    rt::CommandButton ok{*this, "ok", nullptr, {}, 2, "OK"};
    rt::Timer tick{*this, "tick", 100, true};
};

struct Other : rt::Form {
    explicit Other(rt::Application& app) : rt::Form(app, "Other", "Other", 100, 100, "") {}
    rt::CommandButton close{*this, "close", nullptr, {}, 0, "Close"};
};

class Runtime : public ::testing::Test {
protected:
    rt::HeadlessHost host;
    rt::Application app{host};
    Probe& p = app.defaultInstance<Probe>();
    std::vector<std::string> log;

    void SetUp() override
    {
        p.show();
        p.a.onChange = [this] { log.push_back("a:" + p.a.text()); };
        p.a.onKeyPress = [this](rt::Integer& k) { log.push_back("key:" + std::to_string(k)); };
    }
};

TEST_F(Runtime, SetTextRaisesChangeBeforeItReturnsAndNestsUnlessUnchanged)
{
    p.b.onChange = [this] {
        log.push_back("b:" + p.b.text());
        p.a.setText("from b");
        log.push_back("b done");
    };
    p.b.setText("x");
    p.b.setText("x"); // unchanged: nothing raised
    p.a.setText("from b");
    EXPECT_EQ(log, (std::vector<std::string>{"b:x", "a:from b", "b done"}));
    EXPECT_EQ(app.maxChangeDepth(), 2);
    EXPECT_EQ(app.changeDepth(), 0);
}

TEST_F(Runtime, SetTextLeavesCaretAtStartAndSelLengthSelectsFromIt)
{
    rt::typeKeys(p.a, "abcd");
    EXPECT_EQ(p.a.selStart(), 4);
    p.a.setText("xyz");
    EXPECT_EQ(p.a.selStart(), 0);
    EXPECT_EQ(p.a.selLength(), 0);
    p.a.setSelLength(99);
    EXPECT_EQ(p.a.selText(), "xyz");
    p.a.setSelStart(2);
    p.a.setSelLength(3);
    EXPECT_EQ(p.a.selText(), "z");
}

struct KeyCase {
    const char* name;
    std::string before;
    int selStart, selLength, maxLength;
    rt::Integer key;
    std::string after;
};

class Keys : public Runtime, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(Keys, ActOnTheFieldAfterKeyPress)
{
    const KeyCase& c = GetParam();
    p.a.setText(c.before);
    p.a.setMaxLength(c.maxLength);
    p.a.select(c.selStart, c.selLength);
    log.clear();
    p.a.typeKey(c.key);
    EXPECT_EQ(p.a.text(), c.after);
    std::vector<std::string> want{"key:" + std::to_string(c.key)};
    if (c.after != c.before)
        want.push_back("a:" + c.after);
    EXPECT_EQ(log, want);
}

const KeyCase kKeys[] = {
    {"insert_at_caret", "ac", 1, 0, 0, 'b', "abc"},
    {"replace_selection", "abcd", 1, 2, 0, 'x', "axd"},
    {"max_length_refuses", "ab", 2, 0, 2, 'c', "ab"},
    {"max_length_replaces_selection", "ab", 0, 2, 2, 'c', "c"},
    {"backspace_before_caret", "abc", 2, 0, 0, 8, "ac"},
    {"backspace_selection", "abcd", 1, 2, 0, 8, "ad"},
    {"backspace_at_start", "abc", 0, 0, 0, 8, "abc"},
    {"enter_leaves_text", "abc", 3, 0, 0, 13, "abc"},
    {"escape_leaves_text", "abc", 0, 3, 0, 27, "abc"},
    {"control_code_inserts_nothing", "abc", 3, 0, 0, 1, "abc"},
    {"code_outside_page_inserts_nothing", "abc", 3, 0, 0, 300, "abc"},
    {"high_byte_inserts", "", 0, 0, 0, 255, "\xff"},
};

INSTANTIATE_TEST_SUITE_P(Typing, Keys, ::testing::ValuesIn(kKeys),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Runtime, ZeroCodeSwallowsTheKey)
{
    p.a.onKeyPress = [](rt::Integer& k) { k = 0; };
    rt::typeKeys(p.a, "abc\b");
    EXPECT_EQ(p.a.text(), "");
    EXPECT_TRUE(log.empty());
}

TEST_F(Runtime, DeleteCutAndPasteRaiseOneChangeAndNoKeyPress)
{
    p.a.setText("abcdef");
    log.clear();
    p.a.select(1, 0);
    p.a.pressDelete(); // "acdef"
    p.a.select(5, 0);
    p.a.pressDelete(); // at the end: nothing
    p.a.select(0, 2);
    EXPECT_EQ(p.a.cut(), "ac");
    EXPECT_EQ(p.a.cut(), ""); // nothing selected any more
    p.a.paste("XYZ");
    EXPECT_EQ(log, (std::vector<std::string>{"a:acdef", "a:def", "a:XYZdef"}));
    EXPECT_EQ(p.a.selStart(), 3);
}

TEST_F(Runtime, PasteIsCutToMaxLength)
{
    p.a.setMaxLength(4);
    p.a.setText("ab");
    p.a.select(2, 0);
    p.a.paste("cdef");
    EXPECT_EQ(p.a.text(), "abcd");
    p.a.paste("g"); // full: refused
    EXPECT_EQ(p.a.text(), "abcd");
    p.a.setText("code may exceed it");
    EXPECT_EQ(p.a.text(), "code may exceed it");
}

TEST_F(Runtime, DisabledFieldTakesNoFocusAndNoInput)
{
    p.a.setEnabled(false);
    rt::typeKeys(p.a, "x");
    p.a.paste("y");
    EXPECT_EQ(p.a.text(), "");
    EXPECT_EQ(p.focused(), &p.b);
    p.setFocus(p.a);
    EXPECT_EQ(p.focused(), &p.b);
}

TEST_F(Runtime, FocusFollowsTabIndex)
{
    EXPECT_EQ(p.focused(), &p.b);
    std::vector<std::string> order;
    for (int i = 0; i < 4; ++i) {
        p.focusNext();
        order.push_back(p.focused()->name());
    }
    EXPECT_EQ(order, (std::vector<std::string>{"a", "ok", "b", "a"}));
    p.focusNext(false);
    EXPECT_EQ(p.focused(), &p.b);
}

// ---- Errors and End

TEST_F(Runtime, EndCannotBeSwallowedByAnErrorPolicy)
{
    bool after = false;
    p.ok.onClick = [&] {
        rt::resumeNext([&] { app.end(); });
        after = true;
    };
    p.ok.click();
    EXPECT_FALSE(after);
    EXPECT_TRUE(app.ended());
    EXPECT_TRUE(host.quitRequested());
}

TEST_F(Runtime, EndInsideNestedChangeStopsTheOuterHandlerToo)
{
    p.b.onChange = [&] { app.end(); };
    p.a.onChange = [&] {
        p.b.setText("x");
        log.push_back("after");
    };
    rt::typeKeys(p.a, "1");
    EXPECT_TRUE(log == std::vector<std::string>{"key:49"});
    EXPECT_TRUE(app.ended());
}

TEST_F(Runtime, ErrorNoHandlerTakesEndsTheProgramWithAMessage)
{
    p.ok.onClick = [] { (void)rt::ToInteger("x"); };
    p.ok.click();
    ASSERT_EQ(host.errors().size(), 1u);
    EXPECT_NE(host.errors()[0].find("type mismatch"), std::string::npos);
    EXPECT_TRUE(app.ended());
}

// ---- Timer

TEST_F(Runtime, TimerTicksEveryIntervalWhileEnabledAndLoaded)
{
    int ticks = 0;
    p.tick.onTimer = [&] { ++ticks; };
    host.advance(350);
    EXPECT_EQ(ticks, 3);
    p.tick.setEnabled(false);
    host.advance(500);
    EXPECT_EQ(ticks, 3);
    p.tick.setEnabled(true); // a new period starts now
    host.advance(99);
    EXPECT_EQ(ticks, 3);
    host.advance(1);
    EXPECT_EQ(ticks, 4);
    p.unload();
    host.advance(1000);
    EXPECT_EQ(ticks, 4);
}

// ---- Windows

TEST_F(Runtime, DefaultInstanceSurvivesUnloadAndLoadsAnew)
{
    auto& other = app.defaultInstance<Other>();
    int loads = 0, deactivations = 0;
    other.onLoad = [&] { ++loads; };
    other.onDeactivate = [&] {
        ++deactivations;
        other.unload();
        other.unload(); // a second request while unloading does nothing
    };
    other.show();
    EXPECT_EQ(app.activeForm(), &other);
    rt::HeadlessHost::activate(p);
    EXPECT_FALSE(other.loaded());
    other.show();
    EXPECT_EQ(&app.defaultInstance<Other>(), &other);
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(deactivations, 1);
    EXPECT_FALSE(host.quitRequested());
}

TEST_F(Runtime, UnloadingTheLastWindowEndsTheProgram)
{
    auto& other = app.defaultInstance<Other>();
    other.show();
    p.unload();
    EXPECT_FALSE(host.quitRequested());
    other.unload();
    EXPECT_TRUE(host.quitRequested());
}

// ---- Code page

TEST(CodePage, MapsBothWays)
{
    const std::pair<unsigned char, char32_t> rows[] = {
        {0x00, 0x0000}, {0x41, 0x0041}, {0x7F, 0x007F}, {0x80, 0x20AC}, {0x81, 0x0081},
        {0x8D, 0x008D}, {0x8F, 0x008F}, {0x90, 0x0090}, {0x92, 0x2019}, {0x9D, 0x009D},
        {0x9F, 0x0178}, {0xA0, 0x00A0}, {0xE9, 0x00E9}, {0xFF, 0x00FF},
    };
    for (const auto& [byte, ch] : rows) {
        EXPECT_EQ(rt::codepage::toUnicode(byte), ch) << int(byte);
        EXPECT_EQ(rt::codepage::fromUnicode(ch), byte) << int(byte);
    }
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(rt::codepage::fromUnicode(rt::codepage::toUnicode(b)), b);
}

TEST(CodePage, RefusesWhatItCannotHoldAndPicturesTheInvisible)
{
    for (const char32_t ch : {0x0080u, 0x009Fu, 0x0100u, 0x2400u, 0x1F600u})
        EXPECT_FALSE(rt::codepage::fromUnicode(ch).has_value()) << unsigned(ch);
    const std::pair<unsigned char, char32_t> shown[] = {
        {0, 0x2400}, {10, 0x240A}, {31, 0x241F}, {127, 0x2421}, {32, 0x20}, {0x80, 0x20AC}};
    for (const auto& [byte, ch] : shown)
        EXPECT_EQ(rt::codepage::displayForm(byte), ch) << int(byte);
}

} // namespace
