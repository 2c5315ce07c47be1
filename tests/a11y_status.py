#!/usr/bin/python3
"""Listens on the accessibility bus as a screen reader does while the real
program runs under Xvfb: each new status message is one notification, raised
without moving the focus; the same message again, and the timer emptying the
status line, raise none. The status line is a field named Status inside a
status bar.

    a11y_status.py BINARY    (sets up Xvfb, a session bus and the AT-SPI bus)
"""
import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
from xvfb import start as xvfb_start  # noqa: E402


def outer(binary):
    xvfb, display = xvfb_start("a11y_status")
    env = {k: v for k, v in os.environ.items() if k not in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    env.update(DISPLAY=display, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
    try:
        return subprocess.run(["dbus-run-session", "--", "/usr/bin/python3", __file__, "--inner",
                               binary], env=env, timeout=120).returncode
    finally:
        xvfb.terminate()
        xvfb.wait()


def inner(binary):
    import pyatspi
    from gi.repository import GLib

    # Each in a process group of its own, so that the bus the launcher starts
    # goes with it.
    helpers = [subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, process_group=0)
               for cmd in (["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                           ["openbox"])]
    heard = []

    def listen(e):
        if e.detail1 == 1 and e.source and e.source.getRoleName() == "notification":
            heard.append(e.source.name)

    def pump(until, seconds=15):
        """Runs the bus until `until()` holds; False if it never does."""
        end = time.time() + seconds
        while time.time() < end:
            while GLib.MainContext.default().iteration(False):
                pass
            if until():
                return True
            time.sleep(0.02)
        return False

    def ours():
        return next((a for a in pyatspi.Registry.getDesktop(0)
                     if a is not None and a.get_process_id() == app.pid), None)

    def focused():
        return pyatspi.findDescendant(acc, lambda n: n.getState().contains(pyatspi.STATE_FOCUSED))

    def keys(*args):
        return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout.split()

    # As on a desktop, the window manager is there before the program: one
    # starting meanwhile may leave its window unmapped.
    def managed():
        wm = ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"]
        return "window id" in subprocess.run(wm, capture_output=True, text=True).stdout

    if not pump(managed):
        return print("FAIL openbox never took the screen") or 1
    pyatspi.Registry.registerEventListener(listen, "object:state-changed:showing")
    app = subprocess.Popen([binary], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    failures = []
    try:
        window = lambda: keys("search", "--onlyvisible", "--pid", str(app.pid), "--name", "^Numberwell$")
        if not pump(lambda: ours() is not None and heard and window()):
            return print("FAIL the program never reached the accessibility bus") or 1
        keys("windowactivate", "--sync", window()[0])
        acc = ours()
        status = pyatspi.findDescendant(acc, lambda n: n.name == "Status")
        if not status or status.parent.getRoleName() != "status bar":
            failures.append("no field named Status inside a status bar")
        # what the user does, the notifications it must raise (an absence is
        # waited for a moment after the last key, then read); no step but Tab moves the focus
        steps = [
            ("shown", lambda: None, ["Welcome!"]),
            ("300 in Denary", lambda: keys("type", "--delay", "40", "300"), ["Denary must be 0-255"]),
            ("256, the same message", lambda: keys("key", "BackSpace", "type", "256"), []),
            ("Tab, 4A in Hex", lambda: keys("key", "Tab", "type", "4A"), ["Hex must be 00-FF"]),
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
        app.kill()
        app.wait()
        for h in helpers:
            os.killpg(h.pid, signal.SIGKILL)
            h.wait()
    for f in failures:
        print("FAIL", f)
    print(f"{0 if failures else 1} passed, {1 if failures else 0} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--inner":
        sys.exit(inner(os.path.abspath(sys.argv[2])))
    sys.exit(outer(os.path.abspath(sys.argv[1])))
