#include "desktop.h"

#include <QApplication>
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <unistd.h>

namespace rtqt {

QFont fontFor(const rt::Font& f)
{
    QFont font = QApplication::font();
    if (f.face == rt::Font::Face::SansSerif) {
        font.setStyleHint(QFont::SansSerif);
        font.setFamilies({QStringLiteral("Sans Serif")});
    }
    if (f.pointSize > 0)
        font.setPointSizeF(f.pointSize);
    font.setBold(f.bold);
    return font;
}

QPixmap pixmapFor(rt::Picture picture)
{
    switch (picture) {
    case rt::Picture::ProgramIcon:
        return QPixmap(QStringLiteral(":/numberwell/numberwell.png"));
    case rt::Picture::None:
        break;
    }
    return {};
}

// ---- Start-up without a platform
//
// The toolkit reports a windowing system it cannot reach as warnings, then a
// fatal message, and aborts; the X library prints an X server's refusal to
// stderr itself. So while the toolkit starts, its platform messages are held
// back and stderr goes to a file: on the fatal message they make the one line,
// and once started they are passed on as they came.

namespace {

struct Held {
    std::string program;
    QtMessageHandler previous = nullptr;
    std::vector<std::tuple<QtMsgType, QByteArray, QString>> messages; // type, category, text
    int stderrCopy = -1;
    std::FILE* captured = nullptr;
};

Held* held = nullptr;

std::string capturedText()
{
    std::string text;
    if (!held->captured)
        return text;
    std::fflush(stderr);
    std::rewind(held->captured);
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, held->captured)) > 0;)
        text.append(buffer, n);
    return text;
}

// The first line of the first platform warning, then whatever a library
// printed itself, on one line.
std::string reason()
{
    QString why;
    for (const auto& [type, category, text] : held->messages)
        if (type == QtWarningMsg && category.startsWith("qt.qpa")) {
            why = text.section(QLatin1Char('\n'), 0, 0).trimmed();
            break;
        }
    const QString printed = QString::fromLocal8Bit(capturedText()).simplified();
    if (!printed.isEmpty())
        why += (why.isEmpty() ? QString() : QStringLiteral(": ")) + printed;
    return (why.isEmpty() ? QStringLiteral("no windowing system could be started") : why)
        .toStdString();
}

void onMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type != QtFatalMsg) {
        held->messages.emplace_back(type, QByteArray(context.category ? context.category : ""),
                                    text);
        return;
    }
    const std::string line = held->program + ": no display (" + reason() +
                             "); run it on a desktop, or without one as: xvfb-run " +
                             held->program + "\n";
    if (write(held->stderrCopy, line.data(), line.size()) < 0) {
        // Nowhere left to say it; the exit code still does.
    }
    std::_Exit(2);
}

} // namespace

ProcessSettings::ProcessSettings(const char* program)
{
    held = new Held;
    const char* slash = program ? std::strrchr(program, '/') : nullptr;
    held->program = slash ? slash + 1 : program && *program ? program : "numberwell";
    held->previous = qInstallMessageHandler(onMessage);
    std::fflush(stderr);
    held->stderrCopy = dup(STDERR_FILENO);
    held->captured = std::tmpfile();
    if (held->captured)
        dup2(fileno(held->captured), STDERR_FILENO);
}

void ProcessSettings::started()
{
    if (!held)
        return;
    const std::string printed = capturedText();
    dup2(held->stderrCopy, STDERR_FILENO);
    close(held->stderrCopy);
    if (held->captured)
        std::fclose(held->captured);
    std::fputs(printed.c_str(), stderr);
    qInstallMessageHandler(held->previous);
    for (const auto& [type, category, text] : held->messages) {
        const QMessageLogContext context(nullptr, 0, nullptr, category.constData());
        qt_message_output(type, context, text);
    }
    delete std::exchange(held, nullptr);
}

ProcessSettings::~ProcessSettings() { started(); }

} // namespace rtqt
