// Which windowing system the program starts on, chosen before the toolkit
// starts: the toolkit aborts when the one it tries cannot be reached or
// refuses it, so the program first connects itself and either picks one that
// lets it in or says in one line why there is none. On Wayland it also asks the
// compositor whether it draws title bars, so that the windows can draw their
// own where nothing else will.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace rtqt {

using Environment = std::function<std::optional<std::string>(const char* name)>;

// What can be reached from here; the system's own in systemProbe().
struct DisplayProbe {
    std::function<bool(const std::string& path)> unixSocket; // "@name": abstract
    std::function<bool(const std::string& host, int port)> tcp;
    // Why the X server at this DISPLAY does not let this user in (its
    // authorisation, say; empty when it gave no reason), or nothing when it does.
    std::function<std::optional<std::string>(const std::string& display)> x11Refusal;
    std::function<bool()> waylandPlugin; // the toolkit can load its Wayland platform
    // The compositor at this socket path offers server-side decorations.
    std::function<bool(const std::string& path)> serverDecorations;
    // The connections the probes made, open until this is released: release
    // it once the toolkit has connected.
    std::shared_ptr<void> held;
};

struct DisplayChoice {
    std::string platform;    // the toolkit platform to start; empty: none answers
    bool userChosen = false; // the user's own QT_QPA_PLATFORM, left as it is
    std::string problem;     // why none answers, for the hint
    // Neither the compositor nor the toolkit draws a title bar: the windows
    // bring their own.
    bool ownTitleBar = false;
};

DisplayChoice chooseDisplay(const Environment& env, const DisplayProbe& probe);

Environment systemEnvironment();
DisplayProbe systemProbe();

} // namespace rtqt
