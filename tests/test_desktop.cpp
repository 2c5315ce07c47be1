// Both windows as desktops show them: under light and dark palettes, in the
// desktops' default fonts (run again at QT_SCALE_FACTOR=2), and to a screen
// reader. Colours and clipping are read from rendered pixels.
#include "frmAbout.h"
#include "frmMain.h"
#include "product.h"
#include "qthost.h"

#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTest>

#include <gtest/gtest.h>

#include <map>

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

// Both windows up, the About window opened by its button; with their own
// title bars where the desktop draws none.
struct Session {
    rtqt::QtHost host;
    rt::Application app{host, kProduct};
    frmMain& f = app.defaultInstance<frmMain>();
    frmAbout& about = app.defaultInstance<frmAbout>();
    explicit Session(bool titleBars = false)
    {
        host.setErrorBoxes(false);
        host.setTitleBars(titleBars);
        f.show();
        QTest::mouseClick(host.widget(f.cmdAbout), Qt::LeftButton);
    }
    std::vector<rt::Form*> forms() { return {&f, &about}; }
};

rt::Rgb rgb8(QColor c)
{
    return {static_cast<unsigned char>(c.red()), static_cast<unsigned char>(c.green()),
            static_cast<unsigned char>(c.blue())};
}

// Contrast of the text drawn in a widget's area: its commonest colour is the
// background, the pixel farthest from that in luminance is the ink.
double renderedContrast(QWidget* w, QRect area)
{
    const QImage image = w->grab(area).toImage();
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    const QColor back = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                            return a.second < b.second;
                        })->first;
    double best = 1;
    for (const auto& [rgb, n] : counts)
        best = std::max(best, rt::contrastRatio(rgb8(back), rgb8(QColor(rgb))));
    return best;
}

QPalette darkPalette()
{
    QPalette p;
    const QColor window(49, 54, 59), base(35, 38, 41), text(239, 240, 241);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Window, window);
        p.setColor(group, QPalette::Button, window);
        p.setColor(group, QPalette::Base, base);
        p.setColor(group, QPalette::AlternateBase, window);
        const QColor fore = group == QPalette::Disabled ? QColor(110, 113, 117) : text;
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            p.setColor(group, role, fore);
        p.setColor(group, QPalette::Highlight, QColor(61, 174, 233));
        p.setColor(group, QPalette::HighlightedText, text);
    }
    return p;
}

TEST(Readability, TextOnEveryBackgroundTheProgramFixesReadsUnderLightAndDarkPalettes)
{
    const std::pair<const char*, QPalette> palettes[] = {
        {"light", QApplication::style()->standardPalette()}, {"dark", darkPalette()}};
    for (const auto& [name, palette] : palettes) {
        QApplication::setPalette(palette);
        Session s;
        int fixed = 0;
        for (rt::Form* form : s.forms())
            for (rt::Control* c : form->controls()) {
                if (c->kind() != rt::Control::Kind::TextBox ||
                    !static_cast<rt::TextBox*>(c)->backColor())
                    continue;
                ++fixed;
                QWidget* field = s.host.widget(*c);
                ASSERT_FALSE(static_cast<QLineEdit*>(field)->text().isEmpty()) << c->name();
                EXPECT_GE(renderedContrast(field, field->rect().adjusted(3, 3, -3, -3)), 4.5)
                    << c->name() << " under the " << name << " palette";
            }
        EXPECT_EQ(fixed, 1) << "the status line is the one fixed background";
    }
    QApplication::setPalette(QApplication::style()->standardPalette());
}

// The title bar paints from the palette alone; the converter window's is
// inactive behind the About window, so both of its shades are read.
TEST(Readability, TitleBarTitleAndButtonsReadUnderLightAndDarkPalettes)
{
    const std::pair<const char*, QPalette> palettes[] = {
        {"light", QApplication::style()->standardPalette()}, {"dark", darkPalette()}};
    for (const auto& [name, palette] : palettes) {
        QApplication::setPalette(palette);
        Session s(true);
        ASSERT_TRUE(QTest::qWaitForWindowActive(s.host.window(s.about)));
        for (rt::Form* form : s.forms()) {
            QWidget* bar = s.host.window(*form)->findChild<QWidget*>("titleBar");
            ASSERT_NE(bar, nullptr) << form->name();
            // part, least contrast: text, then the buttons' glyphs as graphics
            const std::pair<const char*, double> parts[] = {
                {"title", 4.5}, {"Minimise", 3}, {"Close", 3}};
            for (const auto& [part, least] : parts)
                EXPECT_GE(renderedContrast(bar, bar->findChild<QWidget*>(part)->geometry()), least)
                    << form->name() << " " << part << " under the " << name << " palette";
        }
    }
    QApplication::setPalette(QApplication::style()->standardPalette());
}

QRect captionRect(QGroupBox* box)
{
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.lineWidth = 1;
    option.textAlignment = box->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    return box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel,
                                        box);
}

// The desktops' default fonts, and what fontconfig renders each as.
struct DesktopFont {
    const char* desktop;
    const char* family;
    double points;
    const char* rendered;
};
const DesktopFont kDesktopFonts[] = {
    {"GNOME", "Cantarell", 11, "Cantarell"},
    {"KDE", "Noto Sans", 10, "Noto Sans"},
    {"qt6ct", "DejaVu LGC Sans", 12, "DejaVu Sans"},
};

// A caption's glyphs must look the same with the field in its frame shown
// and hidden: a field drawn over them would cut them.
// Runs `check` with each desktop's default font as the application's.
template <class Check> void inEachDesktopFont(Check check)
{
    const QFont original = QApplication::font();
    for (const DesktopFont& d : kDesktopFonts) {
        QFont font(d.family);
        font.setPointSizeF(d.points);
        QApplication::setFont(font);
        ASSERT_EQ(QFontInfo(font).family(), d.rendered) << d.family << ": scripts/install-deps";
        check(d);
    }
    QApplication::setFont(original);
}

TEST(Captions, NoFrameCaptionOrLabelIsCutInTheDesktopsDefaultFonts)
{
    inEachDesktopFont([](const DesktopFont& d) {
        Session s;
        for (rt::Control* c : s.f.controls()) {
            if (c->kind() != rt::Control::Kind::Frame)
                continue;
            auto* box = static_cast<QGroupBox*>(s.host.widget(*c));
            QWidget* field = box->findChild<QLineEdit*>();
            const QRect caption = captionRect(box) & box->rect();
            field->hide();
            const QImage bare = box->grab().toImage();
            field->show();
            const QImage framed = box->grab().toImage();
            const qreal scale = bare.devicePixelRatio();
            const QRgb back = bare.pixel(bare.width() - 2, qRound(scale));
            int ink = 0, covered = 0;
            for (int y = qRound(caption.top() * scale); y < qRound(caption.bottom() * scale); ++y)
                for (int x = qRound(caption.left() * scale); x < qRound(caption.right() * scale);
                     ++x)
                    if (bare.pixel(x, y) != back) {
                        ++ink;
                        covered += framed.pixel(x, y) != bare.pixel(x, y);
                    }
            EXPECT_GT(ink, 0) << c->name() << " in " << d.desktop;
            EXPECT_EQ(covered, 0) << c->name() << " in " << d.desktop << "'s " << d.family;
            EXPECT_GE(box->width(), captionRect(box).right()) << c->name() << " in " << d.desktop;
        }
        for (const rt::Label* label : {&s.about.Label1, &s.about.Label2, &s.about.Label3}) {
            auto* l = static_cast<QLabel*>(s.host.widget(*label));
            EXPECT_LE(l->fontMetrics().height(), l->height()) << label->name() << " " << d.desktop;
            EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->width())
                << label->name() << " " << d.desktop;
        }
    });
}

// The bar grows with the font: its title and glyphs are never cut, and the
// converter window's title is whole in every desktop's font.
TEST(Captions, TitleBarHoldsItsTitleInTheDesktopsDefaultFonts)
{
    inEachDesktopFont([](const DesktopFont& d) {
        Session s(true);
        for (rt::Form* form : s.forms()) {
            QWidget* bar = s.host.window(*form)->findChild<QWidget*>("titleBar");
            const auto* title = bar->findChild<QLabel*>("title");
            EXPECT_LE(title->fontMetrics().height(), title->height()) << form->name() << d.desktop;
            for (const char* button : {"Minimise", "Close"})
                EXPECT_LE(bar->fontMetrics().height(), bar->findChild<QWidget*>(button)->width())
                    << form->name() << " " << button << " in " << d.desktop;
        }
        const auto* title = s.host.window(s.f)->findChild<QLabel*>("title");
        EXPECT_LE(title->fontMetrics().horizontalAdvance(title->text()), title->width())
            << d.desktop;
    });
}

// Events reach screen readers only through a platform's accessibility bridge
// (a11y_status.py listens there); here, the notification each step leaves
// in the status bar, and whether the step raised a new one.
TEST(ScreenReaders, EachStatusMessageIsANewNotificationInTheStatusBarAndTheClearingIsNone)
{
    Session s;
    QLineEdit* status = qobject_cast<QLineEdit*>(s.host.widget(s.f.txtInfo));
    QAccessibleInterface* field = QAccessible::queryAccessibleInterface(status);
    QAccessibleInterface* bar = field->parent();
    EXPECT_EQ(field->role(), QAccessible::EditableText);
    EXPECT_EQ(field->text(QAccessible::Name), "Status");
    ASSERT_EQ(bar->role(), QAccessible::StatusBar);

    QAccessibleInterface* last = nullptr;
    QStringList steps;
    const auto record = [&](const char* step) {
        QAccessibleInterface* n = bar->child(bar->childCount() - 1);
        steps << QString("%1: %2%3")
                     .arg(step,
                          n->role() == QAccessible::Notification ? n->text(QAccessible::Name)
                                                                 : QString("no notification"),
                          n == last ? " (none new)" : "");
        last = n;
    };
    record("shown");
    const std::tuple<const char*, const rt::TextBox*, const char*> typed[] = {
        {"300", &s.f.txtDen, "300"}, {"backspace", &s.f.txtDen, "\b"}, {"4A", &s.f.txtHex, "\b4A"}};
    for (const auto& [step, box, keys] : typed) {
        QTest::keyClicks(qobject_cast<QLineEdit*>(s.host.widget(*box)), keys);
        record(step);
    }
    s.f.tmrEmptyFields.tick();
    EXPECT_EQ(status->text(), "");
    record("timer");
    EXPECT_EQ(steps.join('|'), "shown: Welcome!|300: Denary must be 0-255|"
                               "backspace: Denary must be 0-255 (none new)|"
                               "4A: Hex must be 00-FF|timer: Hex must be 00-FF (none new)");
}

} // namespace

int main(int argc, char** argv)
{
    // Test discovery runs this too, without the test's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
