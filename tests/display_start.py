#!/usr/bin/python3
"""The real program on the displays a desktop can give it, and on none.

    display_start.py wayland BINARY     natively on a headless Weston
    display_start.py fallbacks BINARY   no display, or one that fails

wayland: the client-side protocol log (WAYLAND_DEBUG) must show the toplevel
with its title, app id and a fixed size, and a buffer attached to its surface
and committed: the first frame. fallbacks: where no windowing system can be
started, the program exits with 2 and one line saying why, never aborting;
where Wayland fails beside a working X server, it runs on X11.
"""
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
from xvfb import start as xvfb_start  # noqa: E402

APP_ID = "io.numberwell.Numberwell"
QT_PLATFORMS = "/usr/lib/x86_64-linux-gnu/qt6/plugins/platforms"
HINT = r"^numberwell: no display \({}\); run it on a desktop, or without one as: xvfb-run numberwell$"


def clean_env(runtime_dir):
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE",
                        "WAYLAND_SOCKET", "XAUTHORITY")}
    env["XDG_RUNTIME_DIR"] = runtime_dir
    return env


def poll(what, seconds=15):
    end = time.time() + seconds
    while time.time() < end:
        got = what()
        if got:
            return got
        time.sleep(0.1)
    return None


def start_weston(runtime_dir, name):
    weston = subprocess.Popen(["weston", "--backend=headless-backend.so", f"--socket={name}",
                               "--idle-time=0"], env=clean_env(runtime_dir),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if not poll(lambda: os.path.exists(os.path.join(runtime_dir, name))):
        sys.exit("weston did not start")
    return weston


def first_frame(log):
    """The toplevel's title, app id and size limits once its surface has had
    a buffer attached and committed; None before that."""
    surface = toplevel = attached = surf = None
    found = {}
    for line in log.splitlines():
        if "->" not in line:
            continue
        if m := re.search(r"get_xdg_surface\(new id xdg_surface@\d+, wl_surface@(\d+)\)", line):
            surf = m.group(1)
        elif m := re.search(r"\.get_toplevel\(new id xdg_toplevel@(\d+)\)", line):
            if toplevel is None:
                surface, toplevel = surf, m.group(1)
        elif toplevel is None:
            continue
        elif m := re.search(rf"xdg_toplevel@{toplevel}\.set_(title|app_id)\(\"(.*)\"\)", line):
            found[m.group(1)] = m.group(2)
        elif m := re.search(rf"xdg_toplevel@{toplevel}\.set_(min|max)_size\((\d+), (\d+)\)", line):
            found[m.group(1)] = (int(m.group(2)), int(m.group(3)))
        elif re.search(rf"wl_surface@{surface}\.attach\(wl_buffer@\d+", line):
            attached = True
        elif attached and re.search(rf"wl_surface@{surface}\.commit\(\)", line):
            return found
    return None


def wayland(binary):
    with tempfile.TemporaryDirectory() as rt:
        os.chmod(rt, 0o700)
        weston = start_weston(rt, "nw-test")
        log = os.path.join(rt, "protocol.log")
        env = dict(clean_env(rt), WAYLAND_DISPLAY="nw-test", WAYLAND_DEBUG="client")
        try:
            with open(log, "w") as out:
                app = subprocess.Popen([binary], env=env, stdout=subprocess.DEVNULL, stderr=out)
            try:
                frame = poll(lambda: first_frame(open(log, errors="replace").read()))
            finally:
                app.kill()
                app.wait()
        finally:
            weston.terminate()
            weston.wait()
    failures = []
    if frame is None:
        failures.append("no first frame in the protocol log")
    else:
        for key, want in (("title", "Numberwell"), ("app_id", APP_ID)):
            if frame.get(key) != want:
                failures.append(f"{key} {frame.get(key)!r}, want {want!r}")
        if not frame.get("min") or frame.get("min") != frame.get("max") or frame["min"] == (0, 0):
            failures.append(f"size not fixed: min {frame.get('min')} max {frame.get('max')}")
    return report("native Wayland, first frame", failures)


def on_x11(binary, env):
    """Failures, unless the program puts its window on the X display of env."""
    app = subprocess.Popen([binary], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        shown = poll(lambda: app.poll() is None and '"Numberwell": (' in subprocess.run(
            ["xwininfo", "-root", "-tree"], env=env, capture_output=True, text=True).stdout)
        return [] if shown else [f"no window on X11 (exit code {app.poll()})"]
    finally:
        app.kill()
        app.wait()


def refused(binary, env, reason):
    """Failures, unless the program exits with 2 and the one-line hint."""
    p = subprocess.run([binary], env=env, capture_output=True, text=True, timeout=20)
    failures = [] if p.returncode == 2 else [f"exit code {p.returncode}, want 2"]
    if not re.search(HINT.format(reason), p.stderr.rstrip("\n")) or p.stderr.count("\n") != 1:
        failures.append(f"stderr {p.stderr!r}")
    return failures


def fallbacks(binary):
    failed = 0
    with tempfile.TemporaryDirectory() as rt:
        os.chmod(rt, 0o700)
        dead = os.path.join(rt, "wayland-dead")
        with socket.socket(socket.AF_UNIX) as s:
            s.bind(dead)  # the file stays; nothing listens
        free_x = next(f":{n}" for n in range(97, 200) if not os.path.exists(f"/tmp/.X11-unix/X{n}"))
        cookie = os.path.join(rt, "cookie")
        open(cookie, "w").close()
        subprocess.run(["xauth", "-q", "-f", cookie, "add", ":0", ".", os.urandom(16).hex()],
                       check=True)
        locked, locked_x = xvfb_start("display_start", "-auth", cookie)
        xvfb, x = xvfb_start("display_start")
        weston = start_weston(rt, "wayland-live")
        # A copy of the program that finds no Wayland plugin: only X11's.
        plugins = os.path.join(rt, "plugins", "platforms")
        os.makedirs(plugins)
        os.symlink(os.path.join(QT_PLATFORMS, "libqxcb.so"), os.path.join(plugins, "libqxcb.so"))
        lacking = os.path.join(rt, "numberwell")
        shutil.copy(binary, lacking)
        with open(os.path.join(rt, "qt.conf"), "w") as conf:
            conf.write(f"[Paths]\nPlugins={os.path.dirname(plugins)}\n")
        base = clean_env(rt)
        rows = [
            ("nothing set", lambda: refused(binary, base, "could not connect to display")),
            ("X display without a server",
             lambda: refused(binary, dict(base, DISPLAY=free_x),
                             f"could not connect to display {free_x}")),
            ("X server that refuses us",
             lambda: refused(binary, dict(base, DISPLAY=locked_x, XAUTHORITY=os.path.join(rt, "no")),
                             f"could not connect to display {locked_x}: .+")),
            ("dead Wayland socket beside X11",
             lambda: on_x11(binary, dict(base, DISPLAY=x, WAYLAND_DISPLAY="wayland-dead"))),
            ("no Wayland plugin beside X11",
             lambda: on_x11(lacking, dict(base, DISPLAY=x, WAYLAND_DISPLAY="wayland-live",
                                          XDG_SESSION_TYPE="wayland"))),
        ]
        try:
            for name, check in rows:
                failed += report(name, check())
        finally:
            for server in (locked, xvfb, weston):
                server.terminate()
                server.wait()
    print(f"{len(rows) - failed} passed, {failed} failed")
    return 1 if failed else 0


def report(name, failures):
    print(("ok   " if not failures else "FAIL ") + name + "".join("\n     " + f for f in failures))
    return 1 if failures else 0


if __name__ == "__main__":
    mode, binary = sys.argv[1], os.path.abspath(sys.argv[2])
    sys.exit({"wayland": wayland, "fallbacks": fallbacks}[mode](binary))
