// The real widgets under the offscreen platform: layout, focus, what a screen
// reader is told, and input arriving as Qt key events.
#include "frmAbout.h"
#include "frmMain.h"
#include "qthost.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class Widgets : public ::testing::Test {
protected:
    ~Widgets() override { host.closeAll(); }

    rtqt::QtHost host;
    rt::Application app{host};
    frmMain& f = app.defaultInstance<frmMain>();

    void SetUp() override
    {
        app.dispatch([&] { f.show(); });
    }

    template <class W = QWidget> W* w(const rt::Control& c)
    {
        return qobject_cast<W*>(host.widget(c));
    }
    QLineEdit* edit(const rt::TextBox& t) { return w<QLineEdit>(t); }
};

TEST_F(Widgets, LayoutInPixelsAt96Dpi)
{
    QWidget* top = host.window(f);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->windowTitle(), "Numberwell");
    EXPECT_EQ(top->size(), QSize(422, 143));
    const std::pair<const rt::Control*, QRect> rows[] = {
        {&f.cmdAbout, {368, 112, 49, 25}}, {&f.txtInfo, {8, 112, 353, 25}},
        {&f.fraascii, {216, 0, 201, 49}},  {&f.frahex, {8, 56, 201, 49}},
        {&f.frabin, {216, 56, 201, 49}},   {&f.fraden, {8, 0, 201, 49}},
        {&f.txtDen, {8, 16, 185, 25}},     {&f.txtBin, {8, 16, 185, 25}},
    };
    for (const auto& [control, rect] : rows)
        EXPECT_EQ(host.widget(*control)->geometry(), rect) << control->name();
    EXPECT_EQ(host.widget(f.txtBin)->parentWidget(), host.widget(f.frabin));
}

TEST_F(Widgets, CaptionsAndAccessibleNames)
{
    EXPECT_EQ(w<QGroupBox>(f.fraden)->title(), "Denary");
    EXPECT_EQ(w<QGroupBox>(f.fraascii)->title(), "Ascii");
    EXPECT_EQ(w<QGroupBox>(f.frahex)->title(), "Hex");
    EXPECT_EQ(w<QGroupBox>(f.frabin)->title(), "Binary");
    EXPECT_EQ(w<QPushButton>(f.cmdAbout)->text(), "About");
    EXPECT_EQ(edit(f.txtDen)->accessibleName(), "Denary");
    EXPECT_EQ(edit(f.txtASCII)->accessibleName(), "Ascii");
    EXPECT_EQ(edit(f.txtHex)->accessibleName(), "Hex");
    EXPECT_EQ(edit(f.txtBin)->accessibleName(), "Binary");
    EXPECT_EQ(edit(f.txtInfo)->accessibleName(), "Status");
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(host.window(f));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->role(), QAccessible::Window);
    EXPECT_EQ(window->text(QAccessible::Name), "Numberwell");
    EXPECT_EQ(edit(f.txtInfo)->text(), "Welcome!");
    EXPECT_FALSE(edit(f.txtInfo)->isEnabled());
    EXPECT_EQ(edit(f.txtInfo)->palette().color(QPalette::Disabled, QPalette::Base),
              QColor(192, 255, 192));
}

TEST_F(Widgets, FocusStartsInDenaryAndTabsInOrder)
{
    QWidget* start = edit(f.txtDen);
    EXPECT_EQ(host.window(f)->focusWidget(), start);
    QStringList order;
    for (QWidget* n = start->nextInFocusChain(); n != start; n = n->nextInFocusChain())
        if (n->focusPolicy() & Qt::TabFocus && n->isEnabled())
            order << n->objectName();
    EXPECT_EQ(order, QStringList({"txtHex", "txtASCII", "txtBin", "cmdAbout"}));
}

// Keys as the keyboard sends them; "\r" is Enter. The fields are read back as shown.
TEST_F(Widgets, KeyEventsDriveAllFourFields)
{
    struct Row {
        const rt::TextBox* field;
        const char* keys;
        QString den, hex, bin, ascii, status;
    };
    const QString welcome = "Welcome!";
    const Row rows[] = {
        {&f.txtDen, "65x", "65", "41", "01000001", "A", welcome},
        {&f.txtBin, "01000001", "65", "41", "01000001", "A", welcome},
        {&f.txtBin, "101\r", "5", "05", "00000101", QChar(0x2405), welcome},
        {&f.txtHex, "4a", "74", "4a", "01001010", "J", welcome},
        {&f.txtHex, "ff", "255", "ff", "11111111", QChar(0xFF), welcome},
        {&f.txtHex, "05", "5", "05", "00000101", QChar(0x2405), welcome},
        {&f.txtHex, "4A", "", "4A", "", "", "Hex must be 00-FF"},
        {&f.txtDen, "300\r", "300", "1e", "00011110", QChar(0x241E), "Denary must be 0-255"},
    };
    for (const Row& r : rows) {
        QLineEdit* target = edit(*r.field);
        QTest::keyClick(target, Qt::Key_Backspace);
        for (const char* k = r.keys; *k; ++k)
            *k == '\r' ? QTest::keyClick(target, Qt::Key_Return) : QTest::keyClick(target, *k);
        SCOPED_TRACE(r.keys);
        EXPECT_EQ(edit(f.txtDen)->text(), r.den);
        EXPECT_EQ(edit(f.txtHex)->text(), r.hex);
        EXPECT_EQ(edit(f.txtBin)->text(), r.bin);
        EXPECT_EQ(edit(f.txtASCII)->text(), r.ascii);
        EXPECT_EQ(edit(f.txtInfo)->text(), r.status);
    }
}

TEST_F(Widgets, SelectionIsMirroredAndUndoLeftOut)
{
    QTest::keyClicks(edit(f.txtHex), "4a");
    QTest::keyClick(edit(f.txtHex), Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(f.txtHex.selStart(), 1);
    EXPECT_EQ(f.txtHex.selLength(), 1);
    QTest::keyClick(edit(f.txtHex), 'f'); // replaces the selected "a"
    EXPECT_EQ(f.txtDen.text(), "79");
    QTest::keyClick(edit(f.txtHex), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit(f.txtHex)->text(), "4f");
}

TEST_F(Widgets, InvisibleCharactersShowAsPicturesButCopyAsThemselves)
{
    QTest::keyClicks(edit(f.txtDen), "0");
    EXPECT_EQ(f.txtASCII.text(), std::string(1, '\0'));
    EXPECT_EQ(edit(f.txtASCII)->text(), QString(QChar(0x2400)));
    QTest::keyClick(edit(f.txtASCII), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QString(QChar(0)));
}

TEST_F(Widgets, PasteAndInputMethodGoThroughTheCodePage)
{
    const std::pair<QString, const char*> rows[] = {
        {QString(QChar(0x20AC)), "128"}, // euro sign
        {QString(QChar(0x4E2D)), "63"},  // not in the code page: "?"
        {QStringLiteral("xyz"), "120"},  // cut to the field's one character
    };
    for (const auto& [clip, den] : rows) {
        QTest::keyClick(edit(f.txtASCII), Qt::Key_Backspace);
        QApplication::clipboard()->setText(clip);
        QTest::keyClick(edit(f.txtASCII), Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(f.txtDen.text(), den) << clip.toStdString();
    }
    QInputMethodEvent commit;
    commit.setCommitString(QString(QChar(0xE9)));
    QApplication::sendEvent(edit(f.txtASCII), &commit);
    EXPECT_EQ(f.txtDen.text(), "233");
}

TEST_F(Widgets, ClipboardKeysAndDeleteGoThroughTheModel)
{
    QLineEdit* den = edit(f.txtDen);
    QTest::keyClicks(den, "65");
    QTest::keyClick(den, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(den, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "65");
    EXPECT_EQ(f.txtDen.text(), "");
    EXPECT_EQ(f.txtHex.text(), "41"); // no Backspace: the others stay
    QTest::keyClick(edit(f.txtHex), Qt::Key_Home);
    QTest::keyClick(edit(f.txtHex), Qt::Key_Delete);
    EXPECT_EQ(f.txtHex.text(), "1");
    QApplication::clipboard()->setText("7");
    QTest::keyClick(den, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(f.txtBin.text(), "00000111");
}

TEST_F(Widgets, ContextMenuOffersOnlyEditsThroughTheModel)
{
    QTest::keyClicks(edit(f.txtDen), "65");
    QApplication::clipboard()->clear();
    QStringList offered;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction* a : menu->actions())
            if (!a->isSeparator())
                offered << QString(a->text()).remove('&') + (a->isEnabled() ? "" : " (off)");
        menu->actions().constLast()->trigger();
        menu->close();
    });
    QContextMenuEvent open(QContextMenuEvent::Mouse, {5, 5},
                           edit(f.txtDen)->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(edit(f.txtDen), &open);
    EXPECT_EQ(offered, QStringList({"Cut (off)", "Copy (off)", "Paste (off)", "Delete (off)",
                                    "Select All"}));
    EXPECT_EQ(f.txtDen.selLength(), 2);
}

TEST_F(Widgets, EscapeOnAnEmptyFieldEndsTheProgram)
{
    QTest::keyClick(edit(f.txtHex), Qt::Key_Escape);
    EXPECT_TRUE(app.ended());
}

TEST_F(Widgets, AboutWindowOpensFilledAndOnlyOkClosesIt)
{
    QTest::keyClicks(edit(f.txtDen), "65");
    QTest::mouseClick(w(f.cmdAbout), Qt::LeftButton);
    auto& about = app.defaultInstance<frmAbout>();
    QWidget* top = host.window(about);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->windowTitle(), "About Numberwell");
    EXPECT_EQ(top->size(), QSize(183, 175));
    EXPECT_EQ(w<QLabel>(about.Label3)->text(), "v2.19");
    EXPECT_TRUE(w<QLabel>(about.Label3)->font().bold());
    EXPECT_DOUBLE_EQ(w<QLabel>(about.Label2)->font().pointSizeF(), 9.75);
    for (const rt::Label* l : {&about.Label1, &about.Label2, &about.Label3}) {
        const QLabel* label = w<QLabel>(*l);
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
            << l->name() << " is cut off";
    }
    EXPECT_EQ(w<QLabel>(about.Image1)->pixmap().size(), QSize(32, 32));
    EXPECT_EQ(top->focusWidget(), w(about.cmdOK));

    QTest::keyClick(w(about.cmdOK), Qt::Key_Escape);
    EXPECT_TRUE(about.loaded());
    QTest::keyClick(w(about.cmdOK), Qt::Key_Return);
    EXPECT_FALSE(about.loaded());
    EXPECT_EQ(host.window(about), nullptr);
    EXPECT_EQ(f.txtDen.text(), "65");
    EXPECT_TRUE(host.window(f)->isEnabled());
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
