"""An X server of a benchmark's or a test's own: Xvfb on a free display, which
it names itself (-displayfd), so runs never collide with a desktop or each
other. It does not reset when its last client leaves: a poll's short
connections would otherwise drop a program connecting meanwhile.

    xvfb, display = start("startup-bench")   # display is ":N"
    xvfb, display = start("test", "-auth", path)   # only for clients with its cookie
"""
import os
import subprocess
import sys


def start(caller, *options):
    r, w = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
         "-noreset", *options],
        pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(w)
    with os.fdopen(r) as f:
        display = f.readline().strip()
    if not display:
        xvfb.kill()
        sys.exit(f"{caller}: Xvfb did not start")
    return xvfb, ":" + display
