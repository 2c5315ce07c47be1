#include "display.h"

#include <QLibraryInfo>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xcb/xcb.h>

namespace rtqt {
namespace {

std::vector<std::string> split(const std::string& s, char sep)
{
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (;;) {
        const auto end = s.find(sep, start);
        parts.push_back(s.substr(start, end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

std::string joined(const std::vector<std::string>& parts)
{
    std::string out;
    for (const auto& p : parts)
        out += (out.empty() ? "" : "; ") + p;
    return out;
}

std::string value(const Environment& env, const char* name) { return env(name).value_or(""); }

// The compositor's socket: WAYLAND_DISPLAY, or the toolkit's default name in
// a Wayland session. Empty: no Wayland to look for.
std::string waylandName(const Environment& env)
{
    if (const std::string name = value(env, "WAYLAND_DISPLAY"); !name.empty())
        return name;
    return value(env, "XDG_SESSION_TYPE") == "wayland" ? "wayland-0" : "";
}

// Where the compositor's socket is; empty when that needs XDG_RUNTIME_DIR and it is unset.
std::string waylandPath(const Environment& env)
{
    const std::string name = waylandName(env);
    if (name.front() == '/')
        return name;
    const std::string dir = value(env, "XDG_RUNTIME_DIR");
    return dir.empty() ? "" : dir + "/" + name;
}

// Why the Wayland display cannot be used, or nothing when it can.
std::optional<std::string> waylandProblem(const Environment& env, const DisplayProbe& probe)
{
    const std::string name = waylandName(env);
    const std::string path = waylandPath(env);
    if (path.empty())
        return "Wayland display " + name + " needs XDG_RUNTIME_DIR";
    if (!probe.unixSocket(path))
        return "Wayland display " + name + " does not answer";
    if (!probe.waylandPlugin())
        return "Wayland display " + name + " needs Qt's Wayland plugin (package qt6-wayland)";
    return std::nullopt;
}

// DISPLAY is [host]:number[.screen]; a local one is a Unix socket, abstract first.
std::optional<std::string> x11Problem(const std::string& display, const DisplayProbe& probe)
{
    const auto colon = display.rfind(':');
    const std::string host = colon == std::string::npos ? "" : display.substr(0, colon);
    const std::string rest = colon == std::string::npos ? "" : display.substr(colon + 1);
    char* end = nullptr;
    const long number = std::strtol(rest.c_str(), &end, 10);
    if (rest.empty() || end == rest.c_str() || number < 0 || number > 59535)
        return "X display " + display + " is not a display name";
    bool answers = false;
    if (host.empty() || host == "unix") {
        const std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
        answers = probe.unixSocket("@" + path) || probe.unixSocket(path);
    } else {
        answers = probe.tcp(host, 6000 + static_cast<int>(number));
    }
    if (!answers)
        return "X display " + display + " does not answer";
    if (const auto why = probe.x11Refusal(display))
        return "X display " + display + " refuses the connection" +
               (why->empty() ? "" : ": " + *why);
    return std::nullopt;
}

// The toolkit draws its own Wayland title bar when this is set to anything it
// does not read as a non-zero number; the program sets it to 1 only when unset.
bool toolkitDecorates(const Environment& env)
{
    const auto v = env("QT_WAYLAND_DISABLE_WINDOWDECORATION");
    if (!v)
        return false;
    char* end = nullptr;
    const long disabled = std::strtol(v->c_str(), &end, 10);
    while (*end == ' ' || *end == '\t')
        ++end;
    return end == v->c_str() || *end != '\0' || disabled == 0;
}

// On Wayland, what is left when the compositor offers no decorations and the
// toolkit was not asked for its own.
DisplayChoice onWayland(DisplayChoice choice, const Environment& env, const DisplayProbe& probe)
{
    choice.ownTitleBar = !toolkitDecorates(env) && !probe.serverDecorations(waylandPath(env));
    return choice;
}

// The socket connected within the time, or -1.
int connectWithin(int fd, const sockaddr* addr, socklen_t length, int timeoutMs)
{
    if (fd < 0)
        return -1;
    int rc = ::connect(fd, addr, length);
    if (rc != 0 && errno == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        int error = 0;
        socklen_t size = sizeof error;
        rc = (::poll(&p, 1, timeoutMs) == 1 &&
              ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0)
                 ? 0
                 : -1;
    }
    if (rc != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// What the probes opened. An X server that has no other client resets when
// the last one leaves and drops whoever connects meanwhile: a fresh Xvfb
// would drop the toolkit's connection, or the next probe's, after a probe
// closed its own. So they stay open until the toolkit has its connection.
struct Held {
    std::vector<int> sockets;
    std::vector<xcb_connection_t*> x11;
    Held() = default;
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held()
    {
        for (xcb_connection_t* c : x11)
            xcb_disconnect(c);
        for (int fd : sockets)
            ::close(fd);
    }
    bool keep(int fd)
    {
        if (fd >= 0)
            sockets.push_back(fd);
        return fd >= 0;
    }
};

// A connected Unix stream socket, or -1; "@name" is abstract.
int unixConnect(const std::string& path)
{
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path)
        return -1;
    std::memcpy(addr.sun_path, path.data(), path.size());
    if (path.front() == '@')
        addr.sun_path[0] = '\0'; // abstract: the name is not a file
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() +
                                               (path.front() == '@' ? 0 : 1));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), length) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// What `write` writes to stderr while it runs, instead of stderr; the first
// 64 KiB of it, which is more than a library's one-line complaint.
std::string stderrOf(const std::function<void()>& write)
{
    int pipeFds[2];
    const int saved = ::dup(STDERR_FILENO);
    if (saved < 0 || ::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        if (saved >= 0)
            ::close(saved);
        write();
        return {};
    }
    ::dup2(pipeFds[1], STDERR_FILENO);
    write();
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    ::close(pipeFds[1]);
    std::string text;
    char buf[256];
    for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;)
        text.append(buf, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    return text;
}

} // namespace

DisplayChoice chooseDisplay(const Environment& env, const DisplayProbe& probe)
{
    std::vector<std::string> problems;
    const std::string display = value(env, "DISPLAY");

    // The user's own choice stands when any platform in it can start.
    if (const std::string chosen = value(env, "QT_QPA_PLATFORM"); !chosen.empty()) {
        for (const std::string& entry : split(chosen, ';')) {
            const std::string base = entry.substr(0, entry.find(':'));
            std::optional<std::string> problem;
            if (base == "xcb")
                problem = display.empty() ? "DISPLAY is not set" : x11Problem(display, probe);
            else if (base.rfind("wayland", 0) == 0)
                problem = waylandName(env).empty() ? "WAYLAND_DISPLAY is not set"
                                                   : waylandProblem(env, probe);
            if (!problem) {
                const DisplayChoice choice{chosen, true, {}};
                return base.rfind("wayland", 0) == 0 ? onWayland(choice, env, probe) : choice;
            }
            problems.push_back(*problem);
        }
        return {{}, false, joined(problems)};
    }

    if (!waylandName(env).empty()) {
        const auto problem = waylandProblem(env, probe);
        if (!problem)
            return onWayland({"wayland", false, {}}, env, probe);
        problems.push_back(*problem);
    }
    if (!display.empty()) {
        const auto problem = x11Problem(display, probe);
        if (!problem)
            return {"xcb", false, {}};
        problems.push_back(*problem);
    }
    if (problems.empty())
        problems.push_back("neither DISPLAY nor WAYLAND_DISPLAY is set");
    return {{}, false, joined(problems)};
}

Environment systemEnvironment()
{
    return [](const char* name) -> std::optional<std::string> {
        if (const char* v = std::getenv(name))
            return std::string(v);
        return std::nullopt;
    };
}

DisplayProbe systemProbe()
{
    DisplayProbe probe;
    const auto held = std::make_shared<Held>();
    probe.held = held;
    probe.unixSocket = [held](const std::string& path) { return held->keep(unixConnect(path)); };
    probe.tcp = [held](const std::string& host, int port) {
        addrinfo hints{};
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
            return false;
        bool ok = false;
        for (addrinfo* a = found; a && !ok; a = a->ai_next)
            ok = held->keep(connectWithin(
                ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, 0),
                a->ai_addr, a->ai_addrlen, 2000));
        ::freeaddrinfo(found);
        return ok;
    };
    // A whole connection, authorisation included: a server that answers on its
    // socket can still refuse this user. The sockets are tried first because
    // this has no timeout of its own. The library writes the server's reason
    // to stderr; it is taken from there into the one-line hint instead.
    probe.x11Refusal = [held](const std::string& display) -> std::optional<std::string> {
        int error = 0;
        std::string reason = stderrOf([&] {
            xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
            error = xcb_connection_has_error(c);
            held->x11.push_back(c);
        });
        if (error == 0)
            return std::nullopt;
        while (!reason.empty() && std::isspace(static_cast<unsigned char>(reason.back())))
            reason.pop_back();
        return reason.substr(0, reason.find('\n'));
    };
    // Where the toolkit looks for platform plugins, in its own order.
    probe.waylandPlugin = [] {
        std::vector<std::string> dirs;
        if (const char* p = std::getenv("QT_QPA_PLATFORM_PLUGIN_PATH"); p && *p)
            dirs.emplace_back(p);
        if (const char* p = std::getenv("QT_PLUGIN_PATH"); p && *p)
            for (const std::string& d : split(p, ':'))
                dirs.push_back(d + "/platforms");
        dirs.push_back(QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString() + "/platforms");
        std::error_code ignored;
        for (const std::string& d : dirs)
            if (std::filesystem::exists(d + "/libqwayland-generic.so", ignored))
                return true;
        return false;
    };
    // A registry round-trip on a connection of its own: wl_display_connect()
    // would take an inherited WAYLAND_SOCKET that the toolkit needs.
    probe.serverDecorations = [](const std::string& path) {
        const int fd = unixConnect(path);
        if (fd < 0)
            return false;
        wl_display* display = wl_display_connect_to_fd(fd); // owns fd, even when it fails
        if (!display)
            return false;
        bool offered = false;
        static const wl_registry_listener listener = {
            [](void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
                if (std::strcmp(interface, "zxdg_decoration_manager_v1") == 0)
                    *static_cast<bool*>(data) = true;
            },
            [](void*, wl_registry*, uint32_t) {}};
        wl_registry* registry = wl_display_get_registry(display);
        wl_registry_add_listener(registry, &listener, &offered);
        const bool answered = wl_display_roundtrip(display) >= 0;
        wl_registry_destroy(registry);
        wl_display_disconnect(display);
        return answered && offered;
    };
    return probe;
}

} // namespace rtqt
