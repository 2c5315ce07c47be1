#!/usr/bin/python3
"""The real program on the displays a desktop can give it, and on none.

    display_start.py wayland BINARY     natively on a headless Weston
    display_start.py fallbacks BINARY   no display, or one that fails

wayland: the client-side protocol log (WAYLAND_DEBUG) must show the toplevel
with its title, app id and a fixed size, and a buffer attached to its surface
and committed: the first frame. fallbacks: where no windowing system can be
started, the program exits with 2 and one line saying why, never aborting;
where Wayland fails beside a working X server, it runs on X11, the focus in
its first field, where Escape ends it with exit code 0.
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
from weston import start as weston  # noqa: E402
from xvfb import start as xvfb_start  # noqa: E402

HINT = r"^numberwell: no display \({}\); run it on a desktop, or without one as: xvfb-run numberwell$"


def poll(what, seconds=15):
    end = time.time() + seconds
    while time.time() < end and not (got := what()):
        time.sleep(0.1)
    return got


def environment(runtime_dir, **extra):
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE",
                        "WAYLAND_SOCKET", "XAUTHORITY")}
    return dict(env, XDG_RUNTIME_DIR=runtime_dir, **extra)


def first_frame(log):
    """The toplevel's title, app id and size limits once its surface has had a
    buffer attached and committed; None before that."""
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
        os.chmod(rt, 0o700)
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
    """Its window on X11, with the focus in Denary: Escape there ends it with 0."""
    app = subprocess.Popen([binary], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    find = ["xdotool", "search", "--onlyvisible", "--pid", str(app.pid), "--name", "^Numberwell$"]
    window = poll(lambda: subprocess.run(find, env=env, capture_output=True, text=True).stdout.split())
    if window:
        subprocess.run(["xdotool", "windowfocus", "--sync", window[0], "key", "Escape"], env=env)
    try:
        code = app.wait(timeout=10)
    except subprocess.TimeoutExpired:
        app.kill(), app.wait()
        code = "none: still running"
    return [] if window and code == 0 else [f"window {window}, exit code {code}, want 0"]


def refused(binary, env, reason):
    p = subprocess.run([binary], env=env, capture_output=True, text=True, timeout=20)
    failures = [] if p.returncode == 2 else [f"exit code {p.returncode}, want 2"]
    if p.stderr.count("\n") != 1 or not re.search(HINT.format(reason), p.stderr.rstrip("\n")):
        failures.append(f"stderr {p.stderr!r}")
    return failures


def fallbacks(binary):
    with tempfile.TemporaryDirectory() as rt:
        os.chmod(rt, 0o700)
        with socket.socket(socket.AF_UNIX) as s:
            s.bind(os.path.join(rt, "wayland-dead"))  # the file stays; nothing listens
        free_x = next(f":{n}" for n in range(97, 200) if not os.path.exists(f"/tmp/.X11-unix/X{n}"))
        cookie = os.path.join(rt, "cookie")
        open(cookie, "w").close()
        subprocess.run(["xauth", "-q", "-f", cookie, "add", ":0", ".", os.urandom(16).hex()])
        (locked, locked_x), (xvfb, x) = xvfb_start("test", "-auth", cookie), xvfb_start("test")
        servers = [locked, xvfb, weston("test", rt, "wayland-live")]
        # A copy of the program that finds no Wayland plugin, only X11's.
        os.makedirs(os.path.join(rt, "plugins", "platforms"))
        os.symlink("/usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqxcb.so",
                   os.path.join(rt, "plugins", "platforms", "libqxcb.so"))
        lacking = shutil.copy(binary, rt)
        with open(os.path.join(rt, "qt.conf"), "w") as conf:
            conf.write(f"[Paths]\nPlugins={rt}/plugins\n")
        rows = [
            ("nothing set", refused, binary, {}, "could not connect to display"),
            ("X display without a server", refused, binary, {"DISPLAY": free_x},
             f"could not connect to display {free_x}"),
            ("X server that refuses us", refused, binary,
             {"DISPLAY": locked_x, "XAUTHORITY": cookie + "-not"},
             f"could not connect to display {locked_x}: .+"),
            ("dead Wayland socket beside X11", on_x11, binary,
             {"DISPLAY": x, "WAYLAND_DISPLAY": "wayland-dead"}),
            ("no Wayland plugin beside X11", on_x11, lacking,
             {"DISPLAY": x, "WAYLAND_DISPLAY": "wayland-live", "XDG_SESSION_TYPE": "wayland"}),
        ]
        try:
            failed = sum(report(name, check(program, environment(rt, **env), *reason))
                         for name, check, program, env, *reason in rows)
        finally:
            for server in servers:
                server.terminate(), server.wait()
    print(f"{len(rows) - failed} passed, {failed} failed")
    return 1 if failed else 0


def report(name, failures):
    print(("ok   " if not failures else "FAIL ") + name + "".join("\n     " + f for f in failures))
    return 1 if failures else 0


if __name__ == "__main__":
    mode, binary = sys.argv[1], os.path.abspath(sys.argv[2])
    sys.exit({"wayland": wayland, "fallbacks": fallbacks}[mode](binary))
