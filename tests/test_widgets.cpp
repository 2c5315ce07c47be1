// Real widgets under the offscreen platform: what only a real toolkit can
// show. Both windows as desktops show them: under light and dark palettes and
// in the desktops' default fonts (Desktops.* run again at QT_SCALE_FACTOR=2);
// colours and clipping are read from rendered pixels. What screen readers hear
// is read off the accessibility bus (display_start.py a11y).
#include "frmAbout.h"
#include "frmMain.h"
#include "product.h"
#include "qthost.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <map>

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
std::ostream& operator<<(std::ostream& os, const QColor& c) { return os << c.name().toStdString(); }
void PrintTo(const QRect& r, std::ostream* os)
{
    *os << r.x() << ',' << r.y() << ' ' << r.width() << 'x' << r.height();
}
void PrintTo(const QSize& s, std::ostream* os) { *os << s.width() << 'x' << s.height(); }

namespace {

QAccessibleInterface* accessible(QWidget* w) { return QAccessible::queryAccessibleInterface(w); }

// The converter window up, and the About window opened by its button unless
// `withAbout` is false.
struct Session {
    rtqt::QtHost host;
    rt::Application app{host, kProduct};
    frmMain& f = app.defaultInstance<frmMain>();
    frmAbout& about = app.defaultInstance<frmAbout>();
    explicit Session(bool withAbout = true)
    {
        host.setErrorBoxes(false);
        f.show();
        if (withAbout)
            QTest::mouseClick(host.control(f.cmdAbout), Qt::LeftButton);
    }
    template <class W = QLineEdit> W* w(const rt::Control& c)
    {
        return qobject_cast<W*>(host.control(c));
    }
};

// Undone at the end of a test, whatever it asserts.
struct Finally {
    std::function<void()> undo;
    ~Finally() { undo(); }
};

// ---- Both windows as desktops show them

// Contrast of the text drawn in a widget: its commonest colour is the
// background, the pixel farthest from that in luminance is the ink.
double renderedContrast(QWidget* w)
{
    const QImage image = w->grab(w->rect().adjusted(3, 3, -3, -3)).toImage();
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    const auto rgb = [](QColor c) {
        return rt::Rgb{uchar(c.red()), uchar(c.green()), uchar(c.blue())};
    };
    const QRgb back = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                          return a.second < b.second;
                      })->first;
    double best = 1;
    for (const auto& [ink, n] : counts)
        best = std::max(best, rt::contrastRatio(rgb(back), rgb(ink)));
    return best;
}

// Desktops' default fonts, in light and dark palettes: no caption is cut (a
// frame's stands above the field it frames and within the frame, a label's
// within the label), and the status line, the one field whose background the
// program fixes, reads.
TEST(Desktops, NoCaptionIsCutAndTheStatusLineReadsInTheirFontsAndPalettes)
{
    const Finally restore{[f = QApplication::font(), p = QApplication::palette()] {
        QApplication::setFont(f);
        QApplication::setPalette(p);
    }};
    // A dark theme's light text, and the grey of its disabled text, on its dark base.
    QPalette dark(QColor(239, 240, 241), QColor(49, 54, 59));
    dark.setColor(QPalette::Base, QColor(35, 38, 41));
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(110, 113, 117));
    const QPalette light = QApplication::style()->standardPalette();
    // its default font and size, what fontconfig renders that as, its palette
    const std::tuple<const char*, double, const char*, QPalette> desktops[] = {
        {"Cantarell", 11, "Cantarell", light},
        {"Noto Sans", 10, "Noto Sans", dark},
        {"DejaVu LGC Sans", 12, "DejaVu Sans", light}};
    for (const auto& [family, points, rendered, palette] : desktops) {
        QFont font(family);
        font.setPointSizeF(points);
        QApplication::setFont(font);
        QApplication::setPalette(palette);
        ASSERT_EQ(QFontInfo(font).family(), rendered) << family << ": scripts/install-deps";
        Session s;
        EXPECT_GE(renderedContrast(s.host.control(s.f.txtInfo)), 4.5) << family;
        for (rt::Control* c : s.f.controls())
            if (auto* box = s.w<QGroupBox>(*c)) {
                QStyleOptionGroupBox option;
                option.initFrom(box);
                option.text = box->title();
                option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
                const QRect caption = box->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                                   QStyle::SC_GroupBoxLabel, box);
                EXPECT_LE(caption.bottom(), box->findChild<QLineEdit*>()->geometry().top())
                    << family;
                EXPECT_LE(caption.right(), box->width()) << c->name() << " in " << family;
            }
        for (const rt::Label* label : {&s.about.Label1, &s.about.Label2, &s.about.Label3}) {
            auto* l = s.w<QLabel>(*label);
            EXPECT_LE(l->fontMetrics().height(), l->height()) << label->name() << " " << family;
            EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->width()) << family;
        }
    }
}

// ---- The converter window's widgets, driven by the toolkit's events

struct Widgets : ::testing::Test, Session {
    Widgets() : Session(false) {}
};

// Window pixels catch a field in the wrong frame; a frame's or button's name
// is its caption. The focus starts in Denary and Tab moves it in tab order,
// each move reaching the model, and back.
TEST_F(Widgets, AFixedWindowWithItsControlsAtTheirPixelsNamesAndTabOrder)
{
    QWidget* top = host.window(f);
    ASSERT_TRUE(QTest::qWaitForWindowActive(top));
    EXPECT_EQ(accessible(top)->role(), QAccessible::Window);
    EXPECT_EQ(accessible(top)->text(QAccessible::Name), "Numberwell");
    EXPECT_EQ(top->size(), QSize(422, 143));
    EXPECT_EQ(top->minimumSize(), top->maximumSize());
    // control, its place in the window, its name; the first five in tab order
    const std::tuple<const rt::Control*, QRect, const char*> rows[] = {
        {&f.txtDen, {16, 16, 185, 25}, "Denary"},   {&f.txtHex, {16, 72, 185, 25}, "Hex"},
        {&f.txtASCII, {224, 16, 185, 25}, "Ascii"}, {&f.txtBin, {224, 72, 185, 25}, "Binary"},
        {&f.cmdAbout, {368, 112, 49, 25}, "About"}, {&f.fraden, {8, 0, 201, 49}, "Denary"},
        {&f.fraascii, {216, 0, 201, 49}, "Ascii"},  {&f.frahex, {8, 56, 201, 49}, "Hex"},
        {&f.frabin, {216, 56, 201, 49}, "Binary"},  {&f.txtInfo, {8, 112, 353, 25}, "Status"},
    };
    int tabStops = 5;
    for (const auto& [c, rect, caption] : rows) {
        QWidget* x = host.control(*c);
        EXPECT_EQ(QRect(x->mapTo(top, QPoint()), x->size()), rect) << c->name();
        EXPECT_EQ(accessible(x)->text(QAccessible::Name), caption) << c->name();
        if (tabStops-- > 0) {
            EXPECT_EQ(top->focusWidget(), x) << c->name();
            EXPECT_EQ(f.focused(), c) << c->name();
            QTest::keyClick(top->focusWidget(), Qt::Key_Tab);
        }
    }
    EXPECT_EQ(f.focused(), &f.txtDen);
    f.setFocus(f.txtBin);
    EXPECT_EQ(top->focusWidget(), host.control(f.txtBin));
    EXPECT_FALSE(w(f.txtInfo)->isEnabled());
    EXPECT_EQ(w(f.txtInfo)->palette().color(QPalette::Disabled, QPalette::Base),
              QColor(192, 255, 192));
}

// About shows icon, name, credit and version with its OK button focused;
// Enter on OK closes it, Escape does not, and activating the converter does.
TEST_F(Widgets, AboutShowsItsLabelsAndClosesOnEnterOrTheConverterActivated)
{
    QTest::keyClicks(w(f.txtDen), "65");
    QTest::mouseClick(host.control(f.cmdAbout), Qt::LeftButton);
    QWidget* box = host.window(about);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), "About Numberwell");
    EXPECT_EQ(box->size(), QSize(183, 175));
    EXPECT_EQ(w<QLabel>(about.Image1)->pixmap().size(), QSize(32, 32));
    // text, bold, point size
    const std::tuple<const rt::Label*, const char*, bool, double> labels[] = {
        {&about.Label1, "Numberwell", true, 12},
        {&about.Label2, "by Quennick", false, 9.75},
        {&about.Label3, "v" NW_VERSION_TEXT, true, 8.25}};
    for (const auto& [label, text, bold, points] : labels) {
        EXPECT_EQ(w<QLabel>(*label)->text(), text);
        EXPECT_EQ(w<QLabel>(*label)->font().bold(), bold) << text;
        EXPECT_DOUBLE_EQ(w<QLabel>(*label)->font().pointSizeF(), points) << text;
    }
    const std::tuple<const char*, std::function<void()>, bool> rows[] = {
        {"escape", [&] { QTest::keyClick(host.control(about.cmdOK), Qt::Key_Escape); }, false},
        {"enter", [&] { QTest::keyClick(host.control(about.cmdOK), Qt::Key_Return); }, true},
        {"converter_activated", [&] { host.window(f)->activateWindow(); }, true},
    };
    for (const auto& [name, act, closes] : rows) {
        if (!about.loaded())
            QTest::mouseClick(host.control(f.cmdAbout), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitForWindowActive(host.window(about))) << name;
        EXPECT_EQ(host.window(about)->focusWidget(), host.control(about.cmdOK)) << name;
        act();
        EXPECT_TRUE(QTest::qWaitFor([&] { return about.loaded() != closes; })) << name;
        EXPECT_EQ(host.window(about) == nullptr, closes) << name;
    }
    EXPECT_EQ(w(f.txtDen)->text(), "65");
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

TEST_F(Widgets, CopyGivesTheCharacterNotItsPictureAndCutTakesTheSelection)
{
    QTest::keyClicks(w(f.txtDen), "0");
    QTest::keySequence(w(f.txtASCII), QKeySequence::Copy);
    EXPECT_EQ(QApplication::clipboard()->text(), QString(QChar(0)));
    QTest::keySequence(w(f.txtDen), QKeySequence::SelectAll);
    QTest::keySequence(w(f.txtDen), QKeySequence::Cut);
    EXPECT_EQ(QApplication::clipboard()->text(), "0");
    EXPECT_EQ(f.txtDen.text(), "");
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
    const std::tuple<const rt::TextBox*, const char*, Qt::KeyboardModifiers, const char*> rows[] = {
        {&f.txtDen, "\b65x", Qt::NoModifier, "65|41|01000001|A|Welcome!"},
        {&f.txtDen, "7", Qt::ControlModifier, "65|41|01000001|A|Welcome!"},
        {&f.txtBin, "\b101\r", Qt::NoModifier, "5|05|00000101|\u2405|Welcome!"},
        {&f.txtHex, "\b4a", Qt::NoModifier, "74|4a|01001010|J|Welcome!"},
        {&f.txtHex, "\b4A", Qt::NoModifier, "|4A|||Hex must be 00-FF"},
    };
    for (const auto& [field, keys, modifiers, want] : rows) {
        QTest::keyClicks(w(*field), keys, modifiers);
        QStringList shown;
        for (const rt::TextBox* t : {&f.txtDen, &f.txtHex, &f.txtBin, &f.txtASCII, &f.txtInfo})
            shown << w(*t)->text();
        EXPECT_EQ(shown.join('|'), want) << keys;
    }
    QTest::keyClicks(w(f.txtHex), "\b\x1b");
    EXPECT_TRUE(app.ended()) << "Escape on an empty field ends the program";
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
