# Installs numberwell-VERSION-win64.msi as a user would, under Wine in a fresh
# prefix of its own, with Wine's X11 driver on an Xvfb of its own:
# - msiexec /i ... /qn puts the program, the Start menu shortcut and the
#   installed-apps entry (version, publisher) in place, the product
#   registered for this user only (no elevation) with its icon; the shortcut
#   starts the program, which shows its window;
# - msiexec /x ... /qn leaves no file and no registry value behind;
# - the same installer built with a higher version replaces this one in place:
#   one entry, the new version.
#
#   test_msi.py CMAKE BUILD_DIR PACKAGE_SCRIPT WXS EXE ICO VERSION DESCRIPTION
import glob
import hashlib
import os
import re
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
from xvfb import start as xvfb_start  # noqa: E402

WINE = "/usr/lib/wine/wine64"
# The installed-apps entries and this user's products, found by the shape of
# their keys.
ENTRY = re.compile(r"\\CurrentVersion\\Uninstall\\[^\\]+$")
PRODUCT = re.compile(r"^HKEY_CURRENT_USER\\.*\\Installer\\Products\\[^\\]+$")


# Wine's server and services outlive the command that starts them: a pipe they
# hold would keep its reader waiting, so only commands that start none of them
# have one, and Wine's have no stderr.
def run(env, *args, output=False, check=True):
    out, err = subprocess.PIPE if output else subprocess.DEVNULL, subprocess.DEVNULL if args[0] == WINE else None
    return subprocess.run(args, env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=err, text=True, timeout=240,
                          check=check)


# {key: {value name: data}} of keys and everything under them.
def registry(env, *roots):
    keys = {}
    for root in roots:
        for line in run(env, WINE, "reg", "query", root, "/s", output=True, check=False).stdout.splitlines():
            if line.startswith("HKEY_"):
                values = keys.setdefault(line, {})
            elif m := re.match(r"    (.*?)    REG_\w+    ?(.*)$", line):
                values[m[1]] = m[2]
    return keys


# Where an install may leave traces in the registry: this user's software, the
# installer's product registrations, and every list of installed apps.
def traces_roots(env):
    system = run(env, WINE, "reg", "query", r"HKLM\Software", output=True).stdout.splitlines()
    apps = [k + r"\Windows\CurrentVersion\Uninstall" for k in system if k.startswith("HKEY_")]
    return [r"HKCU\Software", r"HKLM\Software\Classes\Installer"] + [
        k for k in apps if run(env, WINE, "reg", "query", k, check=False).returncode == 0]


def digest(path):
    return hashlib.sha256(Path(path).read_bytes()).hexdigest() if path and os.path.isfile(path) else None


def main(cmake, build, script, wxs, exe, ico, version, description):
    work = tempfile.TemporaryDirectory(prefix="nw-msi-")
    # The installer as `make package-windows` makes it, and one of a later version.
    run(os.environ, cmake, "--build", build, "--target", "package_msi")
    later = re.sub(r"\d+$", lambda m: str(int(m[0]) + 1), version)
    msi, later_msi = [os.path.join(d, f"numberwell-{v}-win64.msi") for d, v in ((build, version), (work.name, later))]
    run(os.environ, cmake, "-DKIND=msi", f"-DVERSION={later}", f"-DEXE={exe}", f"-DICON={ico}",
        f"-DWXS={wxs}", f"-DDESCRIPTION={description}", f"-DOUT={later_msi}", "-P", script)

    xvfb, display = xvfb_start("test_msi")
    drive, problems = os.path.join(work.name, "wine", "drive_c"), []
    # No .NET or HTML engine; no menu entries on the host for the shortcut.
    env = dict(os.environ, WINEPREFIX=os.path.dirname(drive), WINEDEBUG="-all", DISPLAY=display,
               WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
    try:
        run(env, WINE, "wineboot", "-i")
        roots = traces_roots(env)
        home = os.path.dirname(glob.glob(os.path.join(drive, "users", "*", "AppData"))[0])
        program = os.path.join(home, "AppData/Local/Programs/Numberwell/numberwell.exe")
        # Wherever the shell keeps this user's Start menu programs.
        lnk = os.path.join(home, glob.glob("AppData/Roaming/**/Start Menu/Programs", root_dir=home, recursive=True)[0],
                           "Numberwell.lnk")

        # The installed-apps entries (version, publisher), and the products of this
        # user, each with its icon (a C:\ path, read under the prefix's drive).
        def state():
            keys = registry(env, *roots)
            return {"program": digest(program), "shortcut": os.path.isfile(lnk),
                    "entries": [(v.get("DisplayVersion"), v.get("Publisher")) for k, v in keys.items()
                                if ENTRY.search(k) and v.get("DisplayName") == "Numberwell"],
                    "products": {v["ProductName"]: digest(os.path.join(drive, *v["ProductIcon"][3:].split("\\")))
                                 for k, v in keys.items() if PRODUCT.search(k) and "ProductName" in v}}

        # Files and registry values, but for temporary files and Windows Installer's own folder.
        def traces():
            return {f for f in glob.glob("**", root_dir=home, recursive=True)
                    if not re.match(r"Temp|AppData/Roaming/(.*/)?Installer$", f)} | {
                (k, n, v) for k, values in registry(env, *roots).items() for n, v in values.items()}

        def msiexec(action, package, stage, want):
            run(env, WINE, "msiexec", action, "Z:" + package.replace("/", "\\"), "/qn")
            got = state()
            problems.extend(f"{stage}: {k}: got {got[k]!r}, want {w!r}" for k, w in want.items() if got[k] != w)

        before = traces()
        installed = {"program": digest(exe), "shortcut": True,
                     "entries": [(version, "Numberwell")], "products": {"Numberwell": digest(ico)}}
        msiexec("/i", msi, "installed", installed)
        run(env, WINE, "start", "/unix", lnk)
        # The program the shortcut started shows its window: xdotool polls for it,
        # failing the test if it never comes.
        run(env, "xdotool", "search", "--sync", "--onlyvisible", "--name", "^Numberwell$")
        run(env, WINE, "taskkill", "/f", "/im", "numberwell.exe", check=False)
        msiexec("/x", msi, "uninstalled", {})
        problems += [f"uninstalled: left {t}" for t in sorted(map(str, traces() - before))]
        msiexec("/i", msi, "installed again", installed)
        msiexec("/i", later_msi, f"upgraded to {later}", dict(installed, entries=[(later, "Numberwell")]))
    finally:
        subprocess.run(["/usr/lib/wine/wineserver", "-k"], env=env)
        xvfb.kill()
        work.cleanup()
    return "\n".join(problems) or None  # printed, and exit status 1


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
