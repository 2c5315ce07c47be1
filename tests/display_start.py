#!/usr/bin/python3
# The real program on the displays a desktop can give it, on none, and heard
# by a screen reader.
#
#     display_start.py wayland BINARY     natively on a headless Weston
#     display_start.py fallbacks BINARY   no display, or one that fails
#     dbus-run-session -- display_start.py a11y BINARY
#                                         on Xvfb, with the AT-SPI bus on that session bus
#
# wayland: the client-side protocol log (WAYLAND_DEBUG) must show the toplevel
# with its title, app id and a fixed size, and a buffer attached to its surface
# and committed: the first frame. fallbacks: where no windowing system can be
# started, the program exits with 2 and one line saying why, never aborting;
# where Wayland fails beside a working X server, it runs on X11 with the class
# a dock matches to its launcher, the focus in its first field, where Escape
# ends it with exit code 0. a11y: listening on the accessibility bus, each new
# status message is one notification, raised without moving the focus; the
# same message again, and the timer emptying the status line, raise none. The
# status line is a field named Status inside a status bar.
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
from weston import start as weston  # noqa: E402
from xvfb import start as xvfb_start  # noqa: E402

HINT = r"^numberwell: no display \({}\); run it on a desktop, or without one as: xvfb-run numberwell$"
WM_CLASS = 'WM_CLASS(STRING) = "numberwell", "Numberwell"'


def poll(what, seconds=15, wait=time.sleep):
    end = time.time() + seconds
    while not (got := what()) and time.time() < end:
        wait(0.05)
    return got


def environment(runtime_dir, **extra):
    drop = ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE", "WAYLAND_SOCKET", "XAUTHORITY")
    return dict({k: v for k, v in os.environ.items() if k not in drop}, XDG_RUNTIME_DIR=runtime_dir, **extra)


def run(*args, env=None):
    return subprocess.run(args, env=env, capture_output=True, text=True).stdout


def window(app, env=None):
    return run("xdotool", "search", "--onlyvisible", "--pid", str(app.pid), "--name", "^Numberwell$", env=env).split()


def report(name, failures):
    print(("ok   " if not failures else "FAIL ") + name + "".join("\n     " + f for f in failures))
    return 1 if failures else 0


# The toplevel's title, app id and size limits once its surface has had a
# buffer attached and committed; None before that.
def first_frame(log):
    surface = toplevel = attached = None
    found = {}
    for line in (line for line in log.splitlines() if "->" in line):
        if m := re.search(r"get_xdg_surface\(new id xdg_surface@\d+, wl_surface@(\d+)\)", line):
            surface = surface if toplevel else m.group(1)
        elif m := re.search(r"\.get_toplevel\(new id xdg_toplevel@(\d+)\)", line):
            toplevel = toplevel or m.group(1)
        elif m := re.search(rf"xdg_toplevel@{toplevel}\.set_(title|app_id|min_size|max_size)\((.*)\)", line):
            found[m.group(1)] = m.group(2)
        elif re.search(rf"wl_surface@{surface}\.attach\(wl_buffer@\d+", line):
            attached = True
        elif attached and re.search(rf"wl_surface@{surface}\.commit\(\)", line):
            return found
    return None


def wayland(binary):
    with tempfile.TemporaryDirectory() as rt:
        server, log = weston("test", rt, "nw-test"), os.path.join(rt, "protocol.log")
        with open(log, "w") as out:
            app = subprocess.Popen([binary], stdout=subprocess.DEVNULL, stderr=out, env=environment(
                rt, WAYLAND_DISPLAY="nw-test", WAYLAND_DEBUG="client"))
        frame = poll(lambda: first_frame(open(log, errors="replace").read()))
        for p in (app, server):
            p.kill(), p.wait()
    want = {"title": '"Numberwell"', "app_id": '"io.numberwell.Numberwell"'}
    failures = ["no first frame in the protocol log"] if frame is None else [
        f"{k} {frame.get(k)}, want {v}" for k, v in want.items() if frame.get(k) != v]
    if frame and (frame.get("min_size") != frame.get("max_size") or "0, 0" in frame.get("max_size", "0, 0")):
        failures.append(f"size not fixed: {frame.get('min_size')} to {frame.get('max_size')}")
    return report("native Wayland, first frame", failures)


def on_x11(binary, env):
    app = subprocess.Popen([binary], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    found = poll(lambda: window(app, env))
    wm_class = found and run("xprop", "-id", found[0], "WM_CLASS", env=env).strip()
    if found:
        run("xdotool", "windowfocus", "--sync", found[0], "key", "Escape", env=env)
    poll(lambda: app.poll() is not None, 10)
    app.kill()  # one still running shows as killed, -9
    code = app.wait()
    return ([] if found and code == 0 else [f"window {found}, exit code {code}, want 0"]) + (
        [] if wm_class == WM_CLASS else [f"{wm_class!r}, want {WM_CLASS!r}"])


def refused(binary, env, reason):
    p = subprocess.run([binary], env=env, capture_output=True, text=True, timeout=20)
    failures = [] if p.returncode == 2 else [f"exit code {p.returncode}, want 2"]
    if p.stderr.count("\n") != 1 or not re.search(HINT.format(reason), p.stderr.rstrip("\n")):
        failures.append(f"stderr {p.stderr!r}")
    return failures


def fallbacks(binary):
    with tempfile.TemporaryDirectory() as rt:
        with socket.socket(socket.AF_UNIX) as s:
            s.bind(os.path.join(rt, "wayland-dead"))  # the file stays; nothing listens
        free_x = next(f":{n}" for n in range(97, 200) if not os.path.exists(f"/tmp/.X11-unix/X{n}"))
        cookie = os.path.join(rt, "cookie")
        run("xauth", "-q", "-f", cookie, "add", ":0", ".", os.urandom(16).hex())
        (locked, locked_x), (xvfb, x) = xvfb_start("test", "-auth", cookie), xvfb_start("test")
        servers = [locked, xvfb, weston("test", rt, "wayland-live")]
        # A copy of the program that finds no Wayland plugin, only X11's.
        os.makedirs(plugins := os.path.join(rt, "plugins", "platforms"))
        os.symlink("/usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqxcb.so", os.path.join(plugins, "libqxcb.so"))
        lacking = shutil.copy(binary, rt)
        Path(rt, "qt.conf").write_text(f"[Paths]\nPlugins={rt}/plugins\n")
        rows = [
            ("nothing set", refused, binary, {}, "could not connect to display"),
            ("X display without a server", refused, binary, {"DISPLAY": free_x},
             f"could not connect to display {free_x}"),
            ("X server that refuses us", refused, binary, {"DISPLAY": locked_x, "XAUTHORITY": cookie + "-not"},
             f"could not connect to display {locked_x}: .+"),
            ("dead Wayland socket beside X11", on_x11, binary, {"DISPLAY": x, "WAYLAND_DISPLAY": "wayland-dead"}),
            ("no Wayland plugin beside X11", on_x11, lacking,
             {"DISPLAY": x, "WAYLAND_DISPLAY": "wayland-live", "XDG_SESSION_TYPE": "wayland"}),
        ]
        try:
            return min(1, sum(report(name, check(program, environment(rt, **env), *reason))
                              for name, check, program, env, *reason in rows))
        finally:
            for server in servers:
                server.terminate(), server.wait()


def a11y(binary):  # on a session bus of its own: run under dbus-run-session
    xvfb, display = xvfb_start("a11y")
    os.environ.update(DISPLAY=display, QT_QPA_PLATFORM="xcb", QT_ACCESSIBILITY="1",
                      QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    # Only now: the library looks for its bus on the display it finds.
    import pyatspi
    from gi.repository import GLib

    heard, failures, started = [], [], []

    def start(*cmd):
        # Each in a process group of its own, so that the bus the launcher
        # starts goes with it.
        started.append(subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, process_group=0))
        return started[-1]

    def listen(e):
        if e.detail1 == 1 and e.source and e.source.getRoleName() == "notification":
            heard.append(e.source.name)

    def pump(until, seconds=15):  # the bus's events, dispatched while waiting
        return poll(until, seconds, lambda t: GLib.MainContext.default().iteration(False) or time.sleep(t))

    def ours():
        return [a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.get_process_id() == app.pid]

    def focused():
        return pyatspi.findDescendant(acc, lambda n: n.getState().contains(pyatspi.STATE_FOCUSED))

    try:
        start("/usr/libexec/at-spi-bus-launcher", "--launch-immediately")
        start("openbox")
        # As on a desktop, the window manager is there before the program: one
        # starting meanwhile may leave its window unmapped.
        if not poll(lambda: "window id" in run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK")):
            return report("openbox takes the screen", ["it never does"])
        pyatspi.Registry.registerEventListener(listen, "object:state-changed:showing")
        app = start(binary)
        if not pump(lambda: ours() and heard and window(app)):
            return report("the program reaches the accessibility bus", ["it never does"])
        run("xdotool", "windowactivate", "--sync", window(app)[0])
        acc = ours()[0]
        status = pyatspi.findDescendant(acc, lambda n: n.name == "Status")
        if not status or status.parent.getRoleName() != "status bar":
            failures.append("no field named Status inside a status bar")
        # what the user does, the notifications it must raise (an absence is
        # waited for a moment after the last key, then read); no step but Tab moves the focus
        steps = [
            ("shown", lambda: None, ["Welcome!"]),
            ("300 in Denary", lambda: run("xdotool", "type", "--delay", "40", "300"), ["Denary must be 0-255"]),
            ("256, the same message", lambda: run("xdotool", "key", "BackSpace", "type", "256"), []),
            ("Tab, 4A in Hex", lambda: run("xdotool", "key", "Tab", "type", "4A"), ["Hex must be 00-FF"]),
            ("the timer", lambda: pump(lambda: status.queryText().getText(0, -1) == "") or
             failures.append("the timer never emptied the status line"), []),
        ]
        for name, act, want in steps:
            before = focused()
            act()
            pump(lambda: len(heard) >= max(len(want), 1), 1.5 if want else 0.5)
            if heard != want:
                failures.append(f"{name} raised {heard}, want {want}")
            if "Tab" not in name and getattr(focused(), "name", 0) != getattr(before, "name", 1):
                failures.append(f"{name}: the focus moved")
            heard.clear()
    finally:
        for p in started:
            os.killpg(p.pid, signal.SIGKILL)
            p.wait()
        xvfb.terminate(), xvfb.wait()
    return report("status messages heard on the accessibility bus", failures)


if __name__ == "__main__":
    mode, binary = sys.argv[1], os.path.abspath(sys.argv[2])
    sys.exit({"wayland": wayland, "fallbacks": fallbacks, "a11y": a11y}[mode](binary))
