#!/usr/bin/python3
"""The real program against the displays a desktop can give it.

    display_start.py wayland BINARY     native Wayland on a headless Weston
    display_start.py no-display BINARY  every way of having no display

wayland: the client-side protocol log (WAYLAND_DEBUG) must show the toplevel
with its title, app id and fixed size, and a buffer attached to its surface
and committed: the first frame. The process must not have mapped the GPU
stack (EGL driver, DRI, LLVM). Weston draws no title bars, so the window
brings its own: the buffer is as wide as the same program's window on X11
(its content alone) and taller by the bar. no-display: each row must exit
with 2 and the one-line hint naming why, never abort, an X server that
answers but refuses us included (test_startup's Display tables hold every
other case of the choice).
"""
import os
import re
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
from xvfb import start as xvfb_start  # noqa: E402

APP_ID = "io.numberwell.Numberwell"
GPU_LIBS = ("libEGL_mesa", "_dri.so", "libgallium", "libLLVM", "libvulkan_")
# A title bar: room for a 16-pixel icon, and not a second window.
BAR_HEIGHTS = (16, 64)


def wayland(binary):
    with tempfile.TemporaryDirectory() as rt:
        os.chmod(rt, 0o700)
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "QT_QPA_PLATFORM", "WAYLAND_DISPLAY",
                            "QT_WAYLAND_DISABLE_WINDOWDECORATION")}
        env["XDG_RUNTIME_DIR"] = rt
        weston = subprocess.Popen(["weston", "--backend=headless-backend.so", "--socket=nw-test",
                                   "--idle-time=0", "--shell=desktop-shell.so"], env=env,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            for _ in range(100):
                if os.path.exists(os.path.join(rt, "nw-test")):
                    break
                time.sleep(0.05)
            time.sleep(0.3)
            env.update(WAYLAND_DISPLAY="nw-test", WAYLAND_DEBUG="client")
            log = os.path.join(rt, "protocol.log")
            with open(log, "w") as out:
                app = subprocess.Popen([binary], env=env, stdout=subprocess.DEVNULL, stderr=out)
            try:
                frame, maps = None, ""
                end = time.time() + 15
                while time.time() < end and app.poll() is None:
                    frame = first_frame(open(log, errors="replace").read())
                    if frame:
                        maps = open(f"/proc/{app.pid}/maps").read()
                        break
                    time.sleep(0.1)
                code = app.poll()
            finally:
                app.kill()
                app.wait()
            failures = []
            if frame is None:
                failures.append(f"no first frame in the protocol log (exit code {code})")
            else:
                for name, got, want in (("title", frame["title"], "Numberwell"),
                                        ("app id", frame["app_id"], APP_ID)):
                    if got != want:
                        failures.append(f"{name} {got!r}, want {want!r}")
                if not frame["min"] or frame["min"] != frame["max"] or frame["min"] == (0, 0):
                    failures.append(f"size not fixed: min {frame['min']} max {frame['max']}")
                gpu = sorted({lib for lib in GPU_LIBS if lib in maps})
                if gpu:
                    failures.append(f"the GPU stack is loaded: {gpu}")
                content = x11_size(binary, env)
                width, height = frame["buffer"]
                bar = height - content[1]
                if content == (0, 0):
                    failures.append("no window on X11 to measure the content by")
                elif width != content[0] or not BAR_HEIGHTS[0] <= bar <= BAR_HEIGHTS[1]:
                    failures.append(f"buffer {width}x{height} for content {content[0]}x{content[1]}:"
                                    f" no title bar of {BAR_HEIGHTS[0]} to {BAR_HEIGHTS[1]} pixels")
                if frame["max"] != frame["buffer"]:
                    failures.append(f"fixed size {frame['max']} is not the buffer's {frame['buffer']}")
            report("native Wayland, first frame", failures)
            return 1 if failures else 0
        finally:
            weston.terminate()
            weston.wait()


def x11_size(binary, env):
    """The program's window size on a bare Xvfb, where it draws no title bar."""
    xvfb, display = xvfb_start("display_start")
    x11 = {k: v for k, v in env.items() if k not in ("WAYLAND_DISPLAY", "WAYLAND_DEBUG")}
    x11["DISPLAY"] = display
    app = subprocess.Popen([binary], env=x11, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
    try:
        end = time.time() + 15
        while time.time() < end:
            tree = subprocess.run(["xwininfo", "-root", "-tree"], env=x11, capture_output=True,
                                  text=True).stdout
            # The toplevel has a class; the toolkit's client leader, also titled, has none.
            m = re.search(r'"Numberwell": \("[^"]+" "[^"]+"\)\s+(\d+)x(\d+)\+', tree)
            if m:
                return int(m.group(1)), int(m.group(2))
            time.sleep(0.1)
        return 0, 0
    finally:
        app.kill()
        app.wait()
        xvfb.terminate()
        xvfb.wait()


def first_frame(log):
    """The toplevel's title, app id, size limits and buffer size once its
    surface has had a buffer attached and committed; None before that."""
    surface = toplevel = None
    title = app_id = None
    size = {}
    buffers = {}
    attached = None
    for line in log.splitlines():
        if "->" not in line:
            continue
        m = re.search(r"get_xdg_surface\(new id xdg_surface@(\d+), wl_surface@(\d+)\)", line)
        if m:
            xdg, surf = m.groups()
            continue
        m = re.search(r"xdg_surface@(\d+)\.get_toplevel\(new id xdg_toplevel@(\d+)\)", line)
        if m and toplevel is None:
            surface, toplevel = surf, m.group(2)
            continue
        if toplevel is None:
            continue
        m = re.search(rf"xdg_toplevel@{toplevel}\.set_(title|app_id)\(\"(.*)\"\)", line)
        if m:
            if m.group(1) == "title":
                title = m.group(2)
            else:
                app_id = m.group(2)
        m = re.search(rf"xdg_toplevel@{toplevel}\.set_(min|max)_size\((\d+), (\d+)\)", line)
        if m:
            size[m.group(1)] = (int(m.group(2)), int(m.group(3)))
        m = re.search(r"create_buffer\(new id wl_buffer@(\d+), \d+, (\d+), (\d+),", line)
        if m:
            buffers[m.group(1)] = (int(m.group(2)), int(m.group(3)))
        m = re.search(rf"wl_surface@{surface}\.attach\(wl_buffer@(\d+)", line)
        if m:
            attached = buffers.get(m.group(1))
        if attached and re.search(rf"wl_surface@{surface}\.commit\(\)", line):
            return {"title": title, "app_id": app_id, "min": size.get("min"),
                    "max": size.get("max"), "buffer": attached}
    return None


def dead_unix_socket(path):
    s = socket.socket(socket.AF_UNIX)
    s.bind(path)
    s.close()  # the file stays; nothing listens


def unused_x_display():
    for n in range(97, 200):
        if not os.path.exists(f"/tmp/.X11-unix/X{n}") and not os.path.exists(f"/tmp/.X{n}-lock"):
            return f":{n}"
    raise RuntimeError("no free X display number")


def no_display(binary):
    failures_all = 0
    with tempfile.TemporaryDirectory() as rt:
        os.chmod(rt, 0o700)
        dead_unix_socket(os.path.join(rt, "wayland-dead"))
        x = unused_x_display()
        # A server that answers but lets in only clients with its cookie.
        cookie = os.path.join(rt, "cookie")
        open(cookie, "w").close()
        subprocess.run(["xauth", "-q", "-f", cookie, "add", ":0", ".", os.urandom(16).hex()],
                       check=True)
        locked, locked_display = xvfb_start("display_start", "-auth", cookie)
        # name, environment, what the hint must say
        rows = [
            ("nothing set", {}, r"neither DISPLAY nor WAYLAND_DISPLAY is set"),
            ("Wayland socket nobody listens on", {"WAYLAND_DISPLAY": "wayland-dead"},
             r"Wayland display wayland-dead does not answer"),
            ("X display without a server", {"DISPLAY": x}, rf"X display {x} does not answer"),
            ("both dead", {"DISPLAY": x, "WAYLAND_DISPLAY": "wayland-dead"},
             rf"wayland-dead does not answer; X display {x} does not answer"),
            ("X server that refuses us", {"DISPLAY": locked_display,
                                          "XAUTHORITY": os.path.join(rt, "none")},
             rf"X display {locked_display} refuses the connection"),
        ]
        base = {k: v for k, v in os.environ.items()
                if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE",
                             "WAYLAND_SOCKET")}
        base["XDG_RUNTIME_DIR"] = rt
        try:
            for name, extra, reason in rows:
                p = subprocess.run([binary], env=dict(base, **extra), capture_output=True,
                                   text=True, timeout=20)
                lines = p.stderr.strip().splitlines()
                failures = []
                if p.returncode != 2:
                    failures.append(f"exit code {p.returncode}, want 2")
                if len(lines) != 1 or not re.search(
                        rf"^numberwell: no display found \(.*{reason}.*\); run it on a desktop, "
                        r"or without one as: xvfb-run numberwell$", lines[0]):
                    failures.append(f"stderr {p.stderr!r}")
                report(name, failures)
                failures_all += bool(failures)
        finally:
            locked.terminate()
            locked.wait()
    print(f"{len(rows) - failures_all} passed, {failures_all} failed")
    return 1 if failures_all else 0


def report(name, failures):
    print(("ok   " if not failures else "FAIL ") + name + "".join("\n     " + f for f in failures))


if __name__ == "__main__":
    mode, binary = sys.argv[1], os.path.abspath(sys.argv[2])
    sys.exit({"wayland": wayland, "no-display": no_display}[mode](binary))
