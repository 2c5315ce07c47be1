// The forms runtime's event semantics, timers, windows and code page, on a small window.
#include "codepage.h"
#include "headless.h"
#include "policy.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using Log = std::vector<std::string>;

struct Probe : rt::Form {
    explicit Probe(rt::Application& app)
        : rt::Form(app, "Probe", "Probe", 3000, 2000, rt::Picture::None)
    {}
    rt::TextBox a{*this, "a", nullptr, {}, 1};
    rt::TextBox b{*this, "b", nullptr, {}, 0};
    rt::CommandButton ok{*this, "ok", nullptr, {}, 2, "OK"};
    rt::Timer tick{*this, "tick", 100, true};
};

struct Other : rt::Form {
    explicit Other(rt::Application& app)
        : rt::Form(app, "Other", "Other", 100, 100, rt::Picture::None)
    {}
};

// A field as text with its selection in brackets: "ab[cd]", or "ab[]cd" for a bare caret.
std::string shown(const rt::TextBox& t)
{
    const auto start = static_cast<std::size_t>(t.selStart());
    const auto end = start + static_cast<std::size_t>(t.selLength());
    return t.text().substr(0, start) + "[" + t.selText() + "]" + t.text().substr(end);
}

void load(rt::TextBox& t, const std::string& s)
{
    const auto open = s.find('['), close = s.find(']');
    t.setText(s.substr(0, open) + s.substr(open + 1, close - open - 1) + s.substr(close + 1));
    t.select(static_cast<rt::Long>(open), static_cast<rt::Long>(close - open - 1));
}

struct Runtime : ::testing::Test {
    rt::HeadlessHost host;
    rt::Application app{host, {}};
    Probe& p = app.defaultInstance<Probe>();
    Log log;

    void SetUp() override
    {
        p.show();
        p.a.onChange = [this] { log.push_back("a:" + p.a.text()); };
        p.a.onKeyPress = [this](rt::Integer& k) { log.push_back("key:" + std::to_string(k)); };
    }
};

TEST_F(Runtime, EditsRaiseChangeOnlyWhenTheTextDiffersAndOnlyCodeMayEditADisabledField)
{
    constexpr rt::Integer kSet = -1, kPaste = -2, kCut = -3, kDelete = -4;
    // before, max length, key or edit, after; code-set text is never cut to fit
    const std::tuple<std::string, int, rt::Integer, std::string> rows[] = {
        {"ab[]", 0, kSet, "[]XYZ"},    {"XYZ[]", 0, kSet, "XYZ[]"},  {"a[bc]d", 0, 'x', "ax[]d"},
        {"a[b]", 2, 'x', "ax[]"},      {"a[bc]d", 0, 8, "a[]d"},     {"[]", 0, 255, "\xff[]"},
        {"ab[]", 0, 31, "ab[]"},       {"ab[]", 0, 127, "ab[]"},     {"ab[]", 0, 300, "ab[]"},
        {"a[]bc", 0, kDelete, "a[]c"}, {"ab[]", 0, kDelete, "ab[]"}, {"a[bc]d", 0, kCut, "a[]d"},
        {"a[]", 2, kPaste, "aX[]"},    {"[ab]", 2, kPaste, "XY[]"},  {"abc[]", 2, kPaste, "abc[]"}};
    for (const bool enabled : {true, false})
        for (const auto& [before, maxLength, key, after] : rows) {
            SCOPED_TRACE(before + " -> " + after + (enabled ? "" : " (disabled)"));
            p.a.setEnabled(enabled);
            p.a.setMaxLength(maxLength);
            load(p.a, before);
            log.clear();
            const bool acts = enabled || key == kSet;
            const std::string selected = acts ? p.a.selText() : "";
            if (key == kSet)
                p.a.setText("XYZ");
            else if (key == kPaste)
                p.a.paste("XYZ");
            else if (key == kCut)
                EXPECT_EQ(p.a.cut(), selected);
            else if (key == kDelete)
                p.a.pressDelete();
            else
                p.a.typeKey(key);
            EXPECT_EQ(shown(p.a), acts ? after : before);
            Log want = acts && key >= 0 ? Log{"key:" + std::to_string(key)} : Log{};
            if (acts && after != before)
                want.push_back("a:" + p.a.text());
            EXPECT_EQ(log, want);
        }
    EXPECT_FALSE(app.ended()); // an edit that throws would end the program quietly
}

TEST_F(Runtime, FocusFollowsTabIndexAndSkipsADisabledField)
{
    std::string names;
    for (const bool forward : {true, true, true, false}) {
        p.focusNext(forward);
        names += p.focused()->name() + " ";
    }
    EXPECT_EQ(names, "a ok b ok "); // from b, the lowest tab index, wrapping both ways
    p.a.setEnabled(false);
    p.focusNext(false);
    EXPECT_EQ(p.focused(), &p.b);
    p.setFocus(p.a);
    EXPECT_EQ(p.focused(), &p.b);
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
    EXPECT_EQ(log, Log{"key:49"});
    EXPECT_TRUE(app.ended() && host.quitRequested());
    EXPECT_EQ(app.maxChangeDepth(), 2);
    EXPECT_EQ(app.changeDepth(), 0); // unwound by End too
}

TEST_F(Runtime, AnErrorNoHandlerTakesEndsTheProgramWithAMessage)
{
    p.ok.onClick = [] { (void)rt::ToInteger("x"); };
    p.ok.click();
    EXPECT_EQ(host.errors(), Log{"Run-time error: type mismatch"});
    EXPECT_TRUE(app.ended() && host.quitRequested());
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
    p.unload();
    host.advance(1000);
    EXPECT_EQ(log, (Log{"100", "200", "300", "load", "load", "950"}));
    EXPECT_FALSE(host.quitRequested());
    other.unload();
    EXPECT_TRUE(host.quitRequested());
}

TEST(CodePage, MapsBothWaysRefusesWhatItCannotHoldAndPicturesTheInvisible)
{
    using namespace rt::codepage;
    // byte, code point, what a field shows
    const std::tuple<unsigned char, char32_t, char32_t> rows[] = {
        {0x80, 0x20AC, 0x20AC}, {0x81, 0x0081, 0x0081}, {0x8D, 0x008D, 0x008D},
        {0x8F, 0x008F, 0x008F}, {0x90, 0x0090, 0x0090}, {0x9D, 0x009D, 0x009D},
        {0x9F, 0x0178, 0x0178}, {0xFF, 0x00FF, 0x00FF}, {0x00, 0x0000, 0x2400},
        {0x1F, 0x001F, 0x241F}, {0x7F, 0x007F, 0x2421}, {0x20, 0x0020, 0x0020}};
    for (const auto& [byte, ch, picture] : rows) {
        EXPECT_EQ(toUnicode(byte), ch) << int(byte);
        EXPECT_EQ(fromUnicode(ch), byte) << int(byte);
        EXPECT_EQ(displayForm(byte), picture) << int(byte);
    }
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(fromUnicode(toUnicode(static_cast<unsigned char>(b))), b);
    for (const char32_t ch : {0x0080u, 0x009Fu, 0x0100u, 0x2400u, 0x1F600u})
        EXPECT_FALSE(fromUnicode(ch).has_value()) << unsigned(ch);
}

} // namespace
