"""Installs numberwell-VERSION-win64.msi as a user would, under Wine in a
fresh prefix of its own, with Wine's X11 driver on an Xvfb of its own:

- msiexec /i ... /qn puts the program, the Start menu shortcut (its target
  and icon) and the installed-apps entry (name, version, publisher, icon) in
  place, for this user only; the shortcut starts the program, which shows
  its window;
- msiexec /x ... /qn leaves no file and no registry value of these behind;
- the same installer built with a higher version replaces this one in place:
  one entry, the new version.

    test_msi.py CMAKE BUILD_DIR PACKAGE_SCRIPT WXS EXE ICO VERSION DESCRIPTION
"""
import glob
import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
from xvfb import start as xvfb_start  # noqa: E402

WINE = "/usr/lib/wine/wine64"
SERVER = "/usr/lib/wine/wineserver"
HKCU_PRODUCTS = r"HKCU\Software\Microsoft\Installer\Products"
UNINSTALL = r"Software\Microsoft\Windows\CurrentVersion\Uninstall"
# Where an install may leave traces in the registry: compared before and after.
TRACES = [r"HKCU\Software\Numberwell", r"HKCU\Software\Microsoft\Installer",
          "HKCU\\" + UNINSTALL, "HKLM\\" + UNINSTALL, r"HKLM\Software\Classes\Installer"]
NO_ELEVATION = 8  # word count bit of the summary information


def run(args, env, check=True, output=False):
    """Wine's server and services outlive the command that starts them: a
    pipe they hold would keep its reader waiting, so only commands that
    start none of them have one, and Wine's have no stderr."""
    done = subprocess.run(args, env=env, stdin=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL if args[0] == WINE else None,
                          stdout=subprocess.PIPE if output else subprocess.DEVNULL,
                          text=True, timeout=240)
    if check and done.returncode:
        sys.exit(f"test_msi: {' '.join(args)} exited with {done.returncode}")
    return done


def registry(env, root):
    """{key: {value name: data}} of a key and everything under it."""
    keys, values = {}, None
    for line in run([WINE, "reg", "query", root, "/s"], env, False, True).stdout.splitlines():
        if line.startswith("HKEY_"):
            values = keys.setdefault(line, {})
        elif (m := re.match(r"    (.*?)    REG_\w+    ?(.*)$", line)) and values is not None:
            values[m[1]] = m[2]
    return keys


def digest(path):
    if not os.path.isfile(path):
        return None
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def shortcut(path):
    """(target, icon file) of a shell link: the LinkInfo's local path and the
    icon location string."""
    with open(path, "rb") as f:
        d = f.read()
    flags, = struct.unpack_from("<I", d, 20)
    pos, target, strings = 76, None, {}
    if flags & 1:  # an item id list
        pos += 2 + struct.unpack_from("<H", d, pos)[0]
    if flags & 2:  # LinkInfo
        size, _, _, _, local = struct.unpack_from("<IIIII", d, pos)
        target = d[pos + local:d.index(b"\0", pos + local)].decode("latin-1")
        pos += size
    for bit in range(2, 7):  # name, relative path, working dir, arguments, icon
        if flags & (1 << bit):
            n, = struct.unpack_from("<H", d, pos)
            strings[bit] = d[pos + 2:pos + 2 + 2 * n].decode("utf-16-le").rstrip("\0")
            pos += 2 + 2 * n
    return target, strings.get(6)


class Prefix:
    def __init__(self, path, display):
        self.path = path
        self.env = dict(os.environ, WINEPREFIX=path, WINEDEBUG="-all", DISPLAY=display,
                        # No .NET or HTML engine; no menu entries on the host for the shortcut.
                        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
        run([WINE, "wineboot", "-i"], self.env)
        self.profile, = glob.glob(os.path.join(path, "drive_c", "users", "*", "AppData"))

    def unix(self, windows_path):
        drive, rest = windows_path.split(":\\", 1)
        return os.path.join(self.path, f"drive_{drive.lower()}", *rest.split("\\"))

    def windows(self, unix_path):
        return "C:\\" + os.path.relpath(unix_path, os.path.join(self.path, "drive_c")).replace("/", "\\")

    def msiexec(self, action, msi):
        run([WINE, "msiexec", action, "Z:" + os.path.abspath(msi).replace("/", "\\"), "/qn"], self.env)

    def files(self):
        """Files and folders of the user's profile, but for the temporary
        files and Windows Installer's own folder (not what is in it)."""
        home = os.path.dirname(self.profile)
        found = {os.path.relpath(os.path.join(d, n), home)
                 for d, dirs, files in os.walk(home) for n in dirs + files}
        return {f for f in found if f.split("/")[0] != "Temp"} - {"AppData/Roaming/Microsoft/Installer"}

    def traces(self):
        return {(k, v, data) for root in TRACES
                for k, values in registry(self.env, root).items() for v, data in values.items()}

    def installed(self):
        """What a user gets, one row each: the installed program, the Start
        menu shortcut, the installed-apps entries and the per-user products."""
        exe = os.path.join(self.profile, "Local", "Programs", "Numberwell", "numberwell.exe")
        lnk = os.path.join(self.profile, "Roaming", "Microsoft", "Windows", "Start Menu",
                           "Programs", "Numberwell.lnk")
        target, icon = shortcut(lnk) if os.path.exists(lnk) else (None, None)
        entries = sorted((v.get("DisplayName"), v.get("DisplayVersion"), v.get("Publisher"))
                         for root in ("HKCU\\", "HKLM\\")
                         for k, v in registry(self.env, root + UNINSTALL).items()
                         if v.get("DisplayName") == "Numberwell")
        products = sorted((v.get("ProductName"), digest(self.unix(v.get("ProductIcon", "Z:\\-"))))
                          for v in registry(self.env, HKCU_PRODUCTS).values() if "ProductName" in v)
        return {
            "program": digest(exe),
            "shortcut target": target and target.lower(),
            "shortcut icon": icon and digest(self.unix(icon)),
            "installed-apps entries": entries,
            "installed for this user, with the icon": products,
        }, lnk, exe

    def shows_window(self, lnk):
        """Starts the program by its shortcut; true once its window is mapped."""
        if run([WINE, "start", self.windows(lnk)], self.env, check=False).returncode:
            return False
        try:  # xdotool polls until the window is there
            shown = run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^Numberwell$"],
                        self.env, check=False).returncode == 0
        except subprocess.TimeoutExpired:
            shown = False
        run([WINE, "taskkill", "/f", "/im", "numberwell.exe"], self.env, check=False)
        return shown


def compare(stage, got, want):
    return [f"{stage}: {name}: got {got[name]!r}, want {value!r}"
            for name, value in want.items() if got[name] != value]


def main():
    cmake, build, script, wxs, exe, ico, version, description = sys.argv[1:]
    work = tempfile.mkdtemp(prefix="nw-msi-")
    # The installer as `make package-windows` makes it, and one of a later version.
    run([cmake, "--build", build, "--target", "package_msi"], os.environ)
    msi = os.path.join(build, f"numberwell-{version}-win64.msi")
    later = re.sub(r"\d+$", lambda m: str(int(m[0]) + 1), version)
    later_msi = os.path.join(work, f"numberwell-{later}-win64.msi")
    run([cmake, "-DKIND=msi", f"-DVERSION={later}", f"-DEXE={exe}", f"-DICON={ico}", f"-DWXS={wxs}",
         f"-DDESCRIPTION={description}", f"-DOUT={later_msi}", "-P", script], os.environ)
    words = re.search(r"^Source: (\d+)", run(["msiinfo", "suminfo", msi], os.environ, output=True).stdout, re.M)
    problems = [] if words and int(words[1]) & NO_ELEVATION else ["the installer asks for elevation"]

    xvfb, display = xvfb_start("test_msi")
    prefix = None
    try:
        prefix = Prefix(os.path.join(work, "wine"), display)
        files, traces = prefix.files(), prefix.traces()
        empty, _, _ = prefix.installed()

        prefix.msiexec("/i", msi)
        got, lnk, installed_exe = prefix.installed()
        icon = digest(ico)
        problems += compare("installed", got, {
            "program": digest(exe),
            "shortcut target": prefix.windows(installed_exe).lower(),
            "shortcut icon": icon,
            "installed-apps entries": [("Numberwell", version, "Numberwell")],
            "installed for this user, with the icon": [("Numberwell", icon)],
        })
        if not prefix.shows_window(lnk):
            problems.append("installed: the shortcut started no program that showed its window")

        prefix.msiexec("/x", msi)
        problems += compare("uninstalled", prefix.installed()[0], empty)
        problems += [f"uninstalled: left the file {f}" for f in sorted(prefix.files() - files)]
        problems += [f"uninstalled: left {k} {v} = {d!r}" for k, v, d in sorted(prefix.traces() - traces)]

        prefix.msiexec("/i", msi)
        prefix.msiexec("/i", later_msi)
        got, _, _ = prefix.installed()
        problems += compare(f"upgraded to {later}", got, {
            "program": digest(exe),
            "installed-apps entries": [("Numberwell", later, "Numberwell")],
            "installed for this user, with the icon": [("Numberwell", icon)],
        })
    finally:
        if prefix:
            subprocess.run([SERVER, "-k"], env=prefix.env)
        xvfb.kill()
        shutil.rmtree(work, ignore_errors=True)
    for p in problems:
        print("FAIL:", p, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
