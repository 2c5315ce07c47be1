// Real widgets under the offscreen platform: what only a real toolkit can show.
#include "frmAbout.h"
#include "frmMain.h"
#include "product.h"
#include "qthost.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
void PrintTo(const QRect& r, std::ostream* os)
{
    *os << r.x() << ',' << r.y() << ' ' << r.width() << 'x' << r.height();
}
void PrintTo(const QSize& s, std::ostream* os) { *os << s.width() << 'x' << s.height(); }

namespace {

struct Widgets : ::testing::Test {
    rtqt::QtHost host;
    rt::Application app{host, kProduct};
    frmMain& f = app.defaultInstance<frmMain>();
    void SetUp() override
    {
        host.setErrorBoxes(false);
        f.show();
    }
    template <class W = QLineEdit> W* w(const auto& c) { return qobject_cast<W*>(host.widget(c)); }
};

QAccessibleInterface* accessible(QWidget* w) { return QAccessible::queryAccessibleInterface(w); }

TEST_F(Widgets, ConverterWindowIsAFixedWindowNamedByItsTitle)
{
    QWidget* top = host.window(f);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(accessible(top)->role(), QAccessible::Window);
    EXPECT_EQ(accessible(top)->text(QAccessible::Name), "Numberwell");
    EXPECT_EQ(top->size(), QSize(422, 143));
    EXPECT_EQ(top->minimumSize(), top->maximumSize());
}

// Each control's place in the window's content area, and its name.
std::vector<std::tuple<const rt::Control*, QRect, const char*>> converterPixels(const frmMain& f)
{
    return {
        {&f.fraden, {8, 0, 201, 49}, "Denary"},    {&f.fraascii, {216, 0, 201, 49}, "Ascii"},
        {&f.frahex, {8, 56, 201, 49}, "Hex"},      {&f.frabin, {216, 56, 201, 49}, "Binary"},
        {&f.txtDen, {16, 16, 185, 25}, "Denary"},  {&f.txtASCII, {224, 16, 185, 25}, "Ascii"},
        {&f.txtHex, {16, 72, 185, 25}, "Hex"},     {&f.txtBin, {224, 72, 185, 25}, "Binary"},
        {&f.txtInfo, {8, 112, 353, 25}, "Status"}, {&f.cmdAbout, {368, 112, 49, 25}, "About"},
    };
}

// Window pixels catch a field in the wrong frame; a frame's or button's name is its caption.
TEST_F(Widgets, ControlsSitAtTheirPixelsWithTheirNames)
{
    QWidget* top = host.window(f);
    for (const auto& [c, rect, caption] : converterPixels(f)) {
        QWidget* x = host.widget(*c);
        EXPECT_EQ(QRect(x->mapTo(top, QPoint()), x->size()), rect) << c->name();
        EXPECT_EQ(accessible(x)->text(QAccessible::Name), caption) << c->name();
    }
}

QStringList tabOrder(QWidget* top)
{
    QStringList order;
    for (int i = 0; i < 6 && top->focusWidget();
         ++i, QTest::keyClick(top->focusWidget(), Qt::Key_Tab))
        order << top->focusWidget()->objectName();
    return order;
}

TEST_F(Widgets, StatusLineIsDisabledOnLightGreen)
{
    EXPECT_FALSE(w(f.txtInfo)->isEnabled());
    EXPECT_EQ(w(f.txtInfo)->palette().color(QPalette::Disabled, QPalette::Base),
              QColor(192, 255, 192));
}

TEST_F(Widgets, TabStartsInTheDecimalFieldAndFollowsTheTabIndex)
{
    EXPECT_EQ(tabOrder(host.window(f)).join(' '), "txtDen txtHex txtASCII txtBin cmdAbout txtDen");
}

TEST_F(Widgets, FocusMovedByCodeReachesTheWidgetAndByTheUserTheModel)
{
    f.setFocus(f.txtBin);
    EXPECT_EQ(host.window(f)->focusWidget(), host.widget(f.txtBin));
    ASSERT_TRUE(QTest::qWaitForWindowActive(host.window(f)));
    QTest::keyClick(host.widget(f.txtBin), Qt::Key_Tab);
    EXPECT_EQ(f.focused(), &f.cmdAbout);
}

struct About : Widgets {
    frmAbout& about = app.defaultInstance<frmAbout>();
    QWidget* box = nullptr;
    void SetUp() override
    {
        Widgets::SetUp();
        QTest::keyClicks(w(f.txtDen), "65");
        QTest::mouseClick(host.widget(f.cmdAbout), Qt::LeftButton);
        box = host.window(about);
        ASSERT_NE(box, nullptr);
    }
};

TEST_F(About, ShowsIconNameCreditAndVersion)
{
    EXPECT_EQ(box->windowTitle(), "About Numberwell");
    EXPECT_EQ(box->size(), QSize(183, 175));
    EXPECT_EQ(w<QLabel>(about.Image1)->pixmap().size(), QSize(32, 32));
    // font, bold, point size
    const std::tuple<const rt::Label*, const char*, bool, double> rows[] = {
        {&about.Label1, "Numberwell", true, 12},
        {&about.Label2, "by Quennick", false, 9.75},
        {&about.Label3, "v" NW_VERSION_TEXT, true, 8.25}};
    for (const auto& [label, text, bold, points] : rows) {
        EXPECT_EQ(w<QLabel>(*label)->text(), text);
        EXPECT_EQ(w<QLabel>(*label)->font().bold(), bold) << text;
        EXPECT_DOUBLE_EQ(w<QLabel>(*label)->font().pointSizeF(), points) << text;
    }
}

TEST_F(About, NoLabelCutsItsCaption)
{
    for (const rt::Label* label : {&about.Label1, &about.Label2, &about.Label3}) {
        const QLabel* l = w<QLabel>(*label);
        EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->width()) << label->name();
    }
}

TEST_F(About, EnterOnOkClosesItEscapeDoesNot)
{
    EXPECT_EQ(box->focusWidget(), host.widget(about.cmdOK));
    QTest::keyClick(host.widget(about.cmdOK), Qt::Key_Escape);
    EXPECT_TRUE(box->isVisible());
    QTest::keyClick(host.widget(about.cmdOK), Qt::Key_Return);
    EXPECT_EQ(host.window(about), nullptr);
    EXPECT_EQ(w(f.txtDen)->text(), "65");
}

// The title bar the windows draw where the desktop draws none, forced on.
struct TitleBar : About {
    void SetUp() override
    {
        host.setTitleBars(true);
        About::SetUp();
    }
    static QWidget* bar(QWidget* top) { return top->findChild<QWidget*>("titleBar"); }
};

TEST_F(TitleBar, ShowsTheIconAndTitleAndOffersOnlyMinimiseAndClose)
{
    // window, title
    const std::pair<QWidget*, const char*> rows[] = {{host.window(f), "Numberwell"},
                                                     {box, "About Numberwell"}};
    for (const auto& [top, title] : rows) {
        QAccessibleInterface* a = accessible(bar(top));
        ASSERT_EQ(a->role(), QAccessible::TitleBar) << title;
        EXPECT_EQ(a->text(QAccessible::Name), title);
        QStringList buttons;
        for (int i = 0; i < a->childCount(); ++i)
            if (a->child(i)->role() == QAccessible::Button)
                buttons << a->child(i)->text(QAccessible::Name);
        EXPECT_EQ(buttons.join(','), "Minimise,Close") << title;
        const QPixmap icon = bar(top)->findChild<QLabel*>("icon")->pixmap();
        EXPECT_EQ(icon.deviceIndependentSize(), QSizeF(16, 16)) << title;
    }
    const auto* shown = bar(host.window(f))->findChild<QLabel*>("title");
    EXPECT_EQ(shown->text(), "Numberwell");
    EXPECT_LE(shown->fontMetrics().horizontalAdvance(shown->text()), shown->width());
}

TEST_F(TitleBar, ContentKeepsItsPixelsBelowTheBarAndTheFocusStaysInIt)
{
    QWidget* top = host.window(f);
    const int barHeight = bar(top)->height();
    EXPECT_GE(barHeight, bar(top)->fontMetrics().height());
    EXPECT_EQ(bar(top)->geometry(), QRect(0, 0, 422, barHeight));
    EXPECT_EQ(top->size(), QSize(422, barHeight + 143));
    EXPECT_EQ(top->minimumSize(), top->maximumSize());
    for (const auto& [c, rect, caption] : converterPixels(f)) {
        QWidget* x = host.widget(*c);
        EXPECT_EQ(QRect(x->mapTo(top, QPoint(0, -barHeight)), x->size()), rect) << c->name();
    }
    f.setFocus(f.txtDen);
    QTest::mouseClick(bar(top), Qt::LeftButton);
    QTest::mouseClick(bar(top)->findChild<QWidget*>("Minimise"), Qt::LeftButton);
    EXPECT_EQ(tabOrder(top).join(' '), "txtDen txtHex txtASCII txtBin cmdAbout txtDen");
}

TEST_F(TitleBar, MinimiseMinimisesCloseUnloadsTheWindowThroughTheModel)
{
    QTest::mouseClick(bar(box)->findChild<QWidget*>("Minimise"), Qt::LeftButton);
    EXPECT_TRUE(box->isMinimized());
    EXPECT_TRUE(about.loaded());
    QTest::mouseClick(bar(box)->findChild<QWidget*>("Close"), Qt::LeftButton);
    EXPECT_FALSE(about.loaded());
    EXPECT_EQ(host.window(about), nullptr);
    EXPECT_TRUE(f.loaded());
}

TEST_F(Widgets, ContextMenuOffersWhatAppliesAndSelectsAllThroughTheModel)
{
    QTest::keyClicks(w(f.txtDen), "65");
    QApplication::clipboard()->clear();
    QStringList offered;
    QTimer::singleShot(0, [&] {
        QWidget* menu = QApplication::activePopupWidget();
        ASSERT_NE(menu, nullptr);
        for (QAction* a : menu->actions())
            offered << a->text() + (a->isEnabled() ? "" : " (off)");
        menu->actions().constLast()->trigger();
        menu->close();
    });
    QContextMenuEvent open(QContextMenuEvent::Keyboard, {}, {});
    QApplication::sendEvent(w(f.txtDen), &open);
    EXPECT_EQ(offered.join(','), "Cu&t (off),&Copy (off),&Paste (off),Delete (off),,Select All");
    EXPECT_EQ(f.txtDen.selLength(), 2);
}

TEST_F(Widgets, CutTakesTheSelectionIntoTheClipboard)
{
    QTest::keyClicks(w(f.txtDen), "65");
    QTest::keySequence(w(f.txtDen), QKeySequence::SelectAll);
    QTest::keySequence(w(f.txtDen), QKeySequence::Cut);
    EXPECT_EQ(QApplication::clipboard()->text(), "65");
    EXPECT_EQ(f.txtDen.text(), "");
}

TEST_F(Widgets, CopyGivesTheCharacterNotItsPicture)
{
    QTest::keyClicks(w(f.txtDen), "0");
    QTest::keySequence(w(f.txtASCII), QKeySequence::Copy);
    EXPECT_EQ(QApplication::clipboard()->text(), QString(QChar(0)));
}

TEST_F(Widgets, SelectionByKeysReachesTheModel)
{
    QLineEdit* hex = w(f.txtHex);
    QTest::keyClicks(hex, "4a");
    QTest::keyClick(hex, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(f.txtHex.selStart(), 1);
    EXPECT_EQ(f.txtHex.selLength(), 1);
    QTest::keyClick(hex, 'f');
    EXPECT_EQ(hex->text(), "4f");
    QTest::keySequence(hex, QKeySequence("Home, Del"));
    EXPECT_EQ(f.txtHex.text(), "f");
}

TEST_F(Widgets, PastedAndCommittedTextArrivesInTheCodePage)
{
    // clipboard, decimal value: the euro sign, a character the code page
    // lacks, and more than the field holds
    const char* rows[][2] = {{"\u20AC", "128"}, {"\u4E2D", "63"}, {"xyz", "120"}};
    for (const auto& [clip, want] : rows) {
        QApplication::clipboard()->setText(clip);
        QTest::keyClick(w(f.txtASCII), Qt::Key_Backspace);
        QTest::keySequence(w(f.txtASCII), QKeySequence::Paste);
        EXPECT_EQ(f.txtDen.text(), want) << clip;
    }
    QInputMethodEvent commit;
    commit.setCommitString("\u00E9");
    QApplication::sendEvent(w(f.txtASCII), &commit);
    EXPECT_EQ(f.txtDen.text(), "233");
}

// Key events reach the model and fields show its text; cascades are covered headless.
TEST_F(Widgets, KeyEventsReachTheModelAndTheFieldsShowIt)
{
    const std::tuple<const rt::TextBox*, const char*, const char*> rows[] = {
        {&f.txtDen, "\b65x", "65|41|01000001|A|Welcome!"},
        {&f.txtBin, "\b101\r", "5|05|00000101|\u2405|Welcome!"},
        {&f.txtHex, "\b4a", "74|4a|01001010|J|Welcome!"},
        {&f.txtHex, "\b4A", "|4A|||Hex must be 00-FF"},
    };
    for (const auto& [field, keys, want] : rows) {
        QTest::keyClicks(w(*field), keys);
        QStringList shown;
        for (const rt::TextBox* t : {&f.txtDen, &f.txtHex, &f.txtBin, &f.txtASCII, &f.txtInfo})
            shown << w(*t)->text();
        EXPECT_EQ(shown.join('|'), want) << keys;
    }
    // Escape on an empty field ends the program; last, as later event loops then return at once.
    QTest::keyClicks(w(f.txtHex), "\b\x1b");
    EXPECT_TRUE(app.ended());
}

} // namespace

int main(int argc, char** argv)
{
    // Test discovery runs this too, without the test's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // A font whose caption row, as the style pads it, fits the frames as
    // drawn, so the layout is the twips alone; larger fonts have their own tests.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    QApplication::setFont(font);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
