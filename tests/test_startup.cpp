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

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <wayland-server.h>

TEST(Startup, FirstFrameShowsTheConverterWindow)
{
    char name[] = "numberwell";
    char* argv[] = {name, nullptr};
    QString focus, status;
    const int code = rtqt::run<frmMain>(1, argv, kProduct, [&](QWidget* window) {
        focus = window->focusWidget() ? window->focusWidget()->objectName() : QString();
        status = window->findChild<QLineEdit*>("txtInfo")->text();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(window->focusWidget(), &escape);
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(focus, "txtDen");
    EXPECT_EQ(status, "Welcome!");
}

// ---- Which display the program starts on, decided before the toolkit starts

namespace {

// A desktop as the probe sees it: the environment ("NAME=value ..."), the
// sockets that answer (paths, "@abstract" names or "host:port"), whether the
// toolkit's Wayland plugin is installed, the compositor sockets that offer
// server-side decorations, and the X displays that refuse us.
struct Desk {
    std::string env, listening;
    bool plugin = true;
    std::string decorating = "";
    std::string refusing = "";
};

std::vector<std::string> words(const std::string& text)
{
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), {}};
}

rtqt::DisplayChoice choose(const Desk& d)
{
    std::map<std::string, std::string> vars;
    for (const std::string& w : words(d.env))
        vars[w.substr(0, w.find('='))] = w.substr(w.find('=') + 1);
    const auto has = [](const std::string& list, const std::string& item) {
        const auto all = words(list);
        return std::find(all.begin(), all.end(), item) != all.end();
    };
    const auto env = [&](const char* name) -> std::optional<std::string> {
        const auto it = vars.find(name);
        return it == vars.end() ? std::nullopt : std::optional(it->second);
    };
    rtqt::DisplayProbe probe;
    probe.unixSocket = [&](const std::string& path) { return has(d.listening, path); };
    probe.tcp = [&](const std::string& host, int port) {
        return has(d.listening, host + ":" + std::to_string(port));
    };
    probe.x11Refusal = [&](const std::string& display) -> std::optional<std::string> {
        if (has(d.refusing, display))
            return "Authorization required";
        return std::nullopt;
    };
    probe.waylandPlugin = [&] { return d.plugin; };
    probe.serverDecorations = [&](const std::string& path) { return has(d.decorating, path); };
    return rtqt::chooseDisplay(env, probe);
}

// The usual session's environment, and both its displays answering.
const std::string kWayland = "WAYLAND_DISPLAY=wayland-0 XDG_RUNTIME_DIR=/run/1";
const std::string kBoth = "/run/1/wayland-0 /tmp/.X11-unix/X0";

} // namespace

// An own title bar only on Wayland, where neither the compositor nor the
// toolkit draws one.
TEST(Display, StartsOnAPlatformThatAnswersKeepsTheUsersChoiceAndDrawsTitleBarsNobodyElseDoes)
{
    // case, desk -> platform, whether it is the user's own, own title bar
    // clang-format off
    const std::tuple<const char*, Desk, const char*, bool, bool> rows[] = {
        {"Wayland before X11", {kWayland + " DISPLAY=:0", "/run/1/wayland-0 @/tmp/.X11-unix/X0"}, "wayland", false, true},
        {"Wayland, the compositor decorates", {kWayland, kBoth, true, "/run/1/wayland-0"}, "wayland", false, false},
        {"X11 when the Wayland socket is dead", {kWayland + " DISPLAY=:0", "/tmp/.X11-unix/X0"}, "xcb", false, false},
        {"X11 when the Wayland plugin is missing", {kWayland + " DISPLAY=:0.1", kBoth, false}, "xcb", false, false},
        {"X11", {"DISPLAY=:0", kBoth}, "xcb", false, false},
        {"Wayland session without WAYLAND_DISPLAY", {"XDG_SESSION_TYPE=wayland XDG_RUNTIME_DIR=/run/1", "/run/1/wayland-0"}, "wayland", false, true},
        {"absolute Wayland socket", {"WAYLAND_DISPLAY=/tmp/w", "/tmp/w"}, "wayland", false, true},
        {"absolute socket, the compositor decorates", {"WAYLAND_DISPLAY=/tmp/w", "/tmp/w", true, "/tmp/w"}, "wayland", false, false},
        {"X11 over TCP, as ssh forwards it", {"DISPLAY=localhost:10.0", "localhost:6010"}, "xcb", false, false},
        {"the user asked for the toolkit's title bar", {kWayland + " QT_WAYLAND_DISABLE_WINDOWDECORATION=0", kBoth}, "wayland", false, false},
        {"the user's word the toolkit reads as 0", {kWayland + " QT_WAYLAND_DISABLE_WINDOWDECORATION=yes", kBoth}, "wayland", false, false},
        {"the user turned the toolkit's off", {kWayland + " QT_WAYLAND_DISABLE_WINDOWDECORATION=1", kBoth}, "wayland", false, true},
        {"the user's platform", {"QT_QPA_PLATFORM=xcb DISPLAY=unix:1", "/tmp/.X11-unix/X1"}, "xcb", true, false},
        {"the user's Wayland", {kWayland + " QT_QPA_PLATFORM=wayland", kBoth}, "wayland", true, true},
        {"the user's list, its second answering", {"QT_QPA_PLATFORM=wayland;xcb DISPLAY=:0", "/tmp/.X11-unix/X0"}, "wayland;xcb", true, false},
        {"the user's list, X11 first", {kWayland + " QT_QPA_PLATFORM=xcb;wayland DISPLAY=:0", kBoth}, "xcb;wayland", true, false},
        {"the user's platform that needs no display", {kWayland + " QT_QPA_PLATFORM=offscreen", ""}, "offscreen", true, false},
    };
    // clang-format on
    for (const auto& [name, desk, platform, users, bar] : rows) {
        const rtqt::DisplayChoice c = choose(desk);
        EXPECT_EQ(c.platform, platform) << name << ": " << c.problem;
        EXPECT_EQ(c.userChosen, users) << name;
        EXPECT_EQ(c.ownTitleBar, bar) << name;
    }
}

TEST(Display, NothingAnsweringSaysWhyForEachDisplay)
{
    // case, desk -> why
    // clang-format off
    const std::tuple<const char*, Desk, const char*> rows[] = {
        {"nothing set", {"", ""}, "neither DISPLAY nor WAYLAND_DISPLAY is set"},
        {"dead Wayland socket, no X11", {"WAYLAND_DISPLAY=wayland-1 XDG_RUNTIME_DIR=/run/1", ""}, "Wayland display wayland-1 does not answer"},
        {"Wayland without its plugin, no X11", {kWayland, "/run/1/wayland-0", false}, "Wayland display wayland-0 needs Qt's Wayland plugin (package qt6-wayland)"},
        {"Wayland without a runtime directory", {"WAYLAND_DISPLAY=wayland-0", ""}, "Wayland display wayland-0 needs XDG_RUNTIME_DIR"},
        {"both dead", {kWayland + " DISPLAY=:3", ""}, "Wayland display wayland-0 does not answer; X display :3 does not answer"},
        {"X11 name without a number", {"DISPLAY=host:", ""}, "X display host: is not a display name"},
        {"X11 that refuses us", {"DISPLAY=:4", "/tmp/.X11-unix/X4", true, "", ":4"}, "X display :4 refuses the connection: Authorization required"},
        {"the user's platform, unreachable", {"QT_QPA_PLATFORM=wayland DISPLAY=:0", "/tmp/.X11-unix/X0"}, "WAYLAND_DISPLAY is not set"},
    };
    // clang-format on
    for (const auto& [name, desk, why] : rows) {
        const rtqt::DisplayChoice c = choose(desk);
        EXPECT_EQ(c.platform, "") << name;
        EXPECT_EQ(c.problem, why) << name;
    }
}

// ---- The real probe, against a compositor that only announces its globals

namespace {

class Compositor {
public:
    explicit Compositor(const std::vector<const char*>& globals) : display_(wl_display_create())
    {
        interfaces_.reserve(globals.size());
        for (const char* name : globals) {
            interfaces_.push_back({name, 1, 0, nullptr, 0, nullptr});
            wl_global_create(display_, &interfaces_.back(), 1, nullptr,
                             [](wl_client*, void*, uint32_t, uint32_t) {});
        }
        sockaddr_un addr{AF_UNIX, {}};
        std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s/wayland", dir_.c_str());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::listen(fd, 4) != 0 || wl_display_add_socket_fd(display_, fd) != 0)
            ADD_FAILURE() << "no compositor socket in " << dir_;
        path_ = addr.sun_path;
        loop_ = std::thread([this] {
            while (!stop_) {
                wl_event_loop_dispatch(wl_display_get_event_loop(display_), 20);
                wl_display_flush_clients(display_);
            }
        });
    }
    ~Compositor()
    {
        stop_ = true;
        loop_.join();
        wl_display_destroy_clients(display_);
        wl_display_destroy(display_);
        std::filesystem::remove_all(dir_);
    }
    const std::string& path() const { return path_; }

private:
    wl_display* display_;
    std::vector<wl_interface> interfaces_;
    std::string dir_ = [] {
        char dir[] = "/tmp/nw-compositor-XXXXXX";
        return std::string(mkdtemp(dir));
    }();
    std::string path_;
    std::atomic<bool> stop_ = false;
    std::thread loop_;
};

} // namespace

TEST(Display, ProbeFindsTheDecorationManagerAmongTheCompositorsGlobals)
{
    // case, globals announced -> decorations offered
    const std::tuple<const char*, std::vector<const char*>, bool> rows[] = {
        {"a desktop without it", {"wl_compositor", "wl_shm", "xdg_wm_base"}, false},
        {"among others", {"wl_compositor", "zxdg_decoration_manager_v1", "xdg_wm_base"}, true},
        {"a later version's name", {"zxdg_decoration_manager_v2"}, false},
    };
    const auto probe = rtqt::systemProbe();
    for (const auto& [name, globals, offered] : rows) {
        Compositor compositor(globals);
        EXPECT_EQ(probe.serverDecorations(compositor.path()), offered) << name;
    }
}

TEST(Display, ProbeWithoutACompositorSaysNoDecorations)
{
    EXPECT_FALSE(rtqt::systemProbe().serverDecorations("/nonexistent/wayland-0"));
}
