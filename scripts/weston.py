"""A Wayland compositor of a benchmark's or a test's own: a headless Weston
on a socket of the caller's naming in the caller's runtime directory.

    weston = start("startup-bench", runtime_dir, "nw-bench")   # WAYLAND_DISPLAY=nw-bench
"""
import os
import subprocess
import sys
import time


def start(caller, runtime_dir, name):
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    weston = subprocess.Popen(
        ["weston", "--backend=headless-backend.so", f"--socket={name}", "--idle-time=0"],
        env=dict(env, XDG_RUNTIME_DIR=runtime_dir), stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL)
    for _ in range(200):
        if os.path.exists(os.path.join(runtime_dir, name)):
            return weston
        time.sleep(0.05)
    weston.kill()
    sys.exit(f"{caller}: Weston did not start")
