// The floor for start-up: a bare Qt window with the converter window's widget
// tree at the same geometry, and nothing else. It reports its first painted
// frame the way the program's probe does.
#include "first_frame.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

using bench::watchFirstFrame;
Q_COREAPP_STARTUP_FUNCTION(watchFirstFrame)

namespace {

QLineEdit* field(QWidget* frame)
{
    auto* edit = new QLineEdit(frame);
    edit->setGeometry(8, 16, 185, 25);
    return edit;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget top;
    top.setWindowTitle(QStringLiteral("Numberwell"));
    top.setFixedSize(422, 143);
    (new QPushButton(QStringLiteral("About"), &top))->setGeometry(368, 112, 49, 25);
    auto* info = new QLineEdit(QStringLiteral("Welcome!"), &top);
    info->setGeometry(8, 112, 353, 25);
    info->setEnabled(false);
    const struct {
        const char* title;
        int x, y;
    } frames[] = {{"Ascii", 216, 0}, {"Hex", 8, 56}, {"Binary", 216, 56}, {"Denary", 8, 0}};
    for (const auto& f : frames) {
        auto* box = new QGroupBox(QString::fromLatin1(f.title), &top);
        box->setGeometry(f.x, f.y, 201, 49);
        field(box);
    }
    top.show();
    return QApplication::exec();
}
