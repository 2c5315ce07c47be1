#!/usr/bin/python3
"""Listens on the accessibility bus as a screen reader does while the real
program runs under Xvfb: start-up must raise one notification, "Welcome!";
typing 300 into the decimal field exactly one, "Denary must be 0-255",
without moving the focus; the timer emptying the status line none. The
status line itself is a field named Status inside a status bar.

    a11y_status.py BINARY    (sets up Xvfb, a session bus and the AT-SPI bus)
"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
from xvfb import start as xvfb_start  # noqa: E402

TIMEOUT = 15


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

    helpers = [subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
               for cmd in (["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                           ["openbox"])]
    time.sleep(0.7)
    events = []

    def heard(e):
        try:
            if e.detail1 == 1 and e.source.getRoleName() == "notification":
                events.append(e.source.name)
        except Exception:
            pass

    def pump(seconds, until=lambda: False):
        end = time.time() + seconds
        ctx = GLib.MainContext.default()
        while time.time() < end and not until():
            while ctx.iteration(False):
                pass
            time.sleep(0.02)

    pyatspi.Registry.registerEventListener(heard, "object:state-changed:showing")
    app = subprocess.Popen([binary], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    failures = []
    try:
        def window():
            r = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(app.pid),
                                "--name", "^Numberwell$"], capture_output=True, text=True)
            return r.stdout.split()[0] if r.stdout.split() else None

        wid = None
        end = time.time() + TIMEOUT
        while time.time() < end and not wid:
            pump(0.1)
            wid = window()
        if not wid:
            print("FAIL the window never appeared")
            return 1

        def ours():
            for a in pyatspi.Registry.getDesktop(0):
                try:
                    if a is not None and a.get_process_id() == app.pid:
                        return a
                except Exception:
                    pass
            return None

        acc = None
        pump(TIMEOUT, lambda: (acc := ours()) is not None)
        acc = ours()
        if acc is None:
            print("FAIL the program is not on the accessibility bus")
            return 1
        status = pyatspi.findDescendant(
            acc, lambda n: n.name == "Status" and n.getRoleName() in ("text", "entry"))
        parent = status.parent.getRoleName() if status else None
        if parent != "status bar":
            failures.append(f"the field named Status sits in a {parent!r}, not a status bar")

        subprocess.run(["xdotool", "windowactivate", "--sync", wid], capture_output=True)
        pump(1.0)
        if events != ["Welcome!"]:
            failures.append(f"start-up raised {events}, want one 'Welcome!'")
        focus_before = pyatspi.findDescendant(acc, lambda n: n.getState().contains(
            pyatspi.STATE_FOCUSED))
        events.clear()
        subprocess.run(["xdotool", "type", "--delay", "40", "300"], capture_output=True)
        pump(1.0, lambda: len(events) > 1)
        pump(0.3)
        if events != ["Denary must be 0-255"]:
            failures.append(f"typing 300 raised {events}, want one 'Denary must be 0-255'")
        focus_after = pyatspi.findDescendant(acc, lambda n: n.getState().contains(
            pyatspi.STATE_FOCUSED))
        if not focus_before or focus_after is None or focus_after.name != focus_before.name:
            failures.append("the focus moved")

        events.clear()
        pump(2.7)
        shown = status.queryText().getText(0, -1) if status else None
        if shown != "":
            failures.append(f"the status line still shows {shown!r} after its timer")
        if events:
            failures.append(f"the timer emptying the status line raised {events}")
    finally:
        app.kill()
        app.wait()
        for h in helpers:
            h.kill()
            h.wait()
    for f in failures:
        print("FAIL", f)
    print(f"{0 if failures else 1} passed, {1 if failures else 0} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--inner":
        sys.exit(inner(os.path.abspath(sys.argv[2])))
    sys.exit(outer(os.path.abspath(sys.argv[1])))
