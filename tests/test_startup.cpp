// The program's own start-up function, offscreen: the converter window comes
// up with its greeting and the focus in the decimal field, and Escape there
// ends the program with exit code 0.
#include "display.h"
#include "frmMain.h"
#include "product.h"
#include "qthost.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

TEST(Startup, FirstFrameShowsTheConverterWindow)
{
    char name[] = "numberwell";
    char* argv[] = {name, nullptr};
    QString title, focus, status;
    const int code = rtqt::run<frmMain>(1, argv, kProduct, [&](QWidget* window) {
        title = window->windowTitle();
        focus = window->focusWidget() ? window->focusWidget()->objectName() : QString();
        status = window->findChild<QLineEdit*>("txtInfo")->text();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(window->focusWidget(), &escape);
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(title, "Numberwell");
    EXPECT_EQ(focus, "txtDen");
    EXPECT_EQ(status, "Welcome!");
}

// ---- Which display the program starts on, decided before the toolkit starts

namespace {

struct Desk {
    std::map<std::string, std::string> env;
    std::set<std::string> listening = {}; // socket paths, or host:port
    bool plugin = true;                   // the toolkit's Wayland plugin is installed
};

rtqt::DisplayChoice choose(const Desk& d)
{
    const auto env = [&](const char* name) -> std::optional<std::string> {
        const auto it = d.env.find(name);
        return it == d.env.end() ? std::nullopt : std::optional(it->second);
    };
    rtqt::DisplayProbe probe;
    probe.unixSocket = [&](const std::string& path) { return d.listening.count(path) != 0; };
    probe.tcp = [&](const std::string& host, int port) {
        return d.listening.count(host + ":" + std::to_string(port)) != 0;
    };
    probe.waylandPlugin = [&] { return d.plugin; };
    return rtqt::chooseDisplay(env, probe);
}

const std::string kRun = "/run/user/1000";

} // namespace

TEST(Display, StartsOnAPlatformThatAnswersAndLeavesTheUsersChoiceAlone)
{
    // case, desk -> platform, whether it is the user's own
    const std::tuple<const char*, Desk, const char*, bool> rows[] = {
        {"Wayland before X11",
         {{{"WAYLAND_DISPLAY", "wayland-0"}, {"XDG_RUNTIME_DIR", kRun}, {"DISPLAY", ":0"}},
          {kRun + "/wayland-0", "@/tmp/.X11-unix/X0"}},
         "wayland",
         false},
        {"X11 when the Wayland socket is dead",
         {{{"WAYLAND_DISPLAY", "wayland-0"}, {"XDG_RUNTIME_DIR", kRun}, {"DISPLAY", ":0"}},
          {"/tmp/.X11-unix/X0"}},
         "xcb",
         false},
        {"X11 when the Wayland plugin is missing",
         {{{"WAYLAND_DISPLAY", "wayland-0"}, {"XDG_RUNTIME_DIR", kRun}, {"DISPLAY", ":0.1"}},
          {kRun + "/wayland-0", "@/tmp/.X11-unix/X0"},
          false},
         "xcb",
         false},
        {"Wayland session without WAYLAND_DISPLAY",
         {{{"XDG_SESSION_TYPE", "wayland"}, {"XDG_RUNTIME_DIR", kRun}}, {kRun + "/wayland-0"}},
         "wayland",
         false},
        {"absolute Wayland socket",
         {{{"WAYLAND_DISPLAY", "/tmp/w"}}, {"/tmp/w"}},
         "wayland",
         false},
        {"X11 over TCP, as ssh forwards it",
         {{{"DISPLAY", "localhost:10.0"}}, {"localhost:6010"}},
         "xcb",
         false},
        {"the user's platform",
         {{{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", "unix:1"}}, {"/tmp/.X11-unix/X1"}},
         "xcb",
         true},
        {"the user's list, its second answering",
         {{{"QT_QPA_PLATFORM", "wayland;xcb"}, {"DISPLAY", ":0"}}, {"/tmp/.X11-unix/X0"}},
         "wayland;xcb",
         true},
        {"the user's platform that needs no display",
         {{{"QT_QPA_PLATFORM", "offscreen"}}, {}},
         "offscreen",
         true},
    };
    for (const auto& [name, desk, platform, users] : rows) {
        const rtqt::DisplayChoice c = choose(desk);
        EXPECT_EQ(c.platform, platform) << name << ": " << c.problem;
        EXPECT_EQ(c.userChosen, users) << name;
    }
}

TEST(Display, NothingAnsweringSaysWhyForEachDisplay)
{
    // case, desk -> why
    const std::tuple<const char*, Desk, const char*> rows[] = {
        {"nothing set", {}, "neither DISPLAY nor WAYLAND_DISPLAY is set"},
        {"dead Wayland socket, no X11",
         {{{"WAYLAND_DISPLAY", "wayland-1"}, {"XDG_RUNTIME_DIR", kRun}}},
         "Wayland display wayland-1 does not answer"},
        {"Wayland without its plugin, no X11",
         {{{"WAYLAND_DISPLAY", "wayland-0"}, {"XDG_RUNTIME_DIR", kRun}},
          {kRun + "/wayland-0"},
          false},
         "Wayland display wayland-0 needs Qt's Wayland plugin (package qt6-wayland)"},
        {"Wayland without a runtime directory",
         {{{"WAYLAND_DISPLAY", "wayland-0"}}},
         "Wayland display wayland-0 needs XDG_RUNTIME_DIR"},
        {"both dead",
         {{{"WAYLAND_DISPLAY", "wayland-0"}, {"XDG_RUNTIME_DIR", kRun}, {"DISPLAY", ":3"}}},
         "Wayland display wayland-0 does not answer; X display :3 does not answer"},
        {"X11 name without a number",
         {{{"DISPLAY", "host:"}}},
         "X display host: is not a display name"},
        {"the user's platform, unreachable",
         {{{"QT_QPA_PLATFORM", "wayland"}, {"DISPLAY", ":0"}}, {"/tmp/.X11-unix/X0"}},
         "WAYLAND_DISPLAY is not set"},
    };
    for (const auto& [name, desk, why] : rows) {
        const rtqt::DisplayChoice c = choose(desk);
        EXPECT_EQ(c.platform, "") << name;
        EXPECT_EQ(c.problem, why) << name;
    }
}
