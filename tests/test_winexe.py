"""Checks numberwell.exe as built: the version record and the icon a file
manager shows, the DLLs it imports, its hardening, and the zip it ships in.
What the file must say comes from the build's arguments, never from this
script.

    test_winexe.py version EXE VERSION DESCRIPTION NAME
    test_winexe.py icon EXE ICO
    test_winexe.py imports EXE
    test_winexe.py hardening EXE
    test_winexe.py zip CMAKE BUILD_DIR EXE README VERSION
    test_winexe.py errors EXE DYNAMIC_EXE ICO VERSION DESCRIPTION NAME

`errors` runs the checks on files that must fail them.
"""
import glob
import os
import re
import struct
import subprocess
import sys
import tempfile
import zipfile

import pefile

RT_ICON = 3
RT_GROUP_ICON = 14
VFT_APP = 1

# DLLs every 64-bit Windows has; the program may import nothing else.
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "comdlg32.dll", "shell32.dll",
    "shlwapi.dll", "advapi32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll", "oleacc.dll",
    "uxtheme.dll", "dwmapi.dll", "imm32.dll", "version.dll", "shcore.dll", "ntdll.dll",
}
# What a build that forgot to link the compiler's runtime statically imports.
COMPILER_RUNTIME = {
    "libstdc++-6.dll": "the C++ runtime",
    "libgcc_s_seh-1.dll": "the compiler's support library",
    "libwinpthread-1.dll": "the threads library",
}

# What the loader does for a program marked so: ASLR, with high entropy; DEP;
# no terminal-server compatibility shims.
HARDENING = ("DYNAMIC_BASE", "HIGH_ENTROPY_VA", "NX_COMPAT", "TERMINAL_SERVER_AWARE")
# The stack protector's failure (runtime/win32/desktop.cpp) fails fast with
# FAST_FAIL_STACK_COOKIE_CHECK_FAILURE. The file is stripped of symbols, so
# the code is found by its bytes, and the functions it guards by their calls.
STACK_CHECK_FAILED = bytes.fromhex("b902000000cd29")  # mov ecx, 2; int 0x29


class Missing(Exception):
    """The file lacks what the check reads."""


def compare(rows):
    """Rows of (name, got, want): the mismatches, one line each."""
    return [f"{name}: got {got!r}, want {want!r}" for name, got, want in rows if got != want]


def dotted(ms, ls):
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"


def check_version(exe, version, description, name):
    pe = pefile.PE(exe, fast_load=True)
    pe.parse_data_directories([pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    if not getattr(pe, "VS_FIXEDFILEINFO", None):
        raise Missing("no version record")
    fixed = pe.VS_FIXEDFILEINFO[0]
    tables, translations = {}, []
    for info in pe.FileInfo[0]:
        for table in getattr(info, "StringTable", []):
            tables[table.LangID.decode().upper()] = {
                k.decode(): v.decode() for k, v in table.entries.items()}
        for var in getattr(info, "Var", []):
            if b"Translation" in var.entry:
                translations += var.entry[b"Translation"].split()
    if len(tables) != 1:
        raise Missing(f"{len(tables)} string tables, not one")
    (block, strings), = tables.items()
    # "0x0409 0x04b0" names the block 040904B0, where file managers look.
    named = ["".join(f"{int(x, 16):04X}" for x in translations[i:i + 2])
             for i in range(0, len(translations), 2)]
    return compare([
        ("FILEVERSION", dotted(fixed.FileVersionMS, fixed.FileVersionLS), version),
        ("PRODUCTVERSION", dotted(fixed.ProductVersionMS, fixed.ProductVersionLS), version),
        ("FILETYPE", fixed.FileType, VFT_APP),
        ("FileVersion", strings.get("FileVersion"), version),
        ("ProductVersion", strings.get("ProductVersion"), version),
        ("FileDescription", strings.get("FileDescription"), description),
        ("ProductName", strings.get("ProductName"), name),
        ("OriginalFilename", strings.get("OriginalFilename"), os.path.basename(exe)),
        ("Translation names the string table", named, [block]),
    ])


def resources(pe, kind):
    root = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for entry in root.entries if root else []:
        if entry.id == kind:
            return entry.directory.entries
    return []


def data_of(pe, entry):
    language = entry.directory.entries[0].data.struct
    return pe.get_data(language.OffsetToData, language.Size)


def check_icon(exe, ico):
    """The first icon group, the one a file manager shows, holds the images
    of the .ico file, byte for byte, at 32 × 32 in 16 colours."""
    pe = pefile.PE(exe, fast_load=True)
    pe.parse_data_directories([pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    groups = resources(pe, RT_GROUP_ICON)
    if not groups:
        raise Missing("no icon group")
    icons = {e.id: data_of(pe, e) for e in resources(pe, RT_ICON)}
    group = data_of(pe, groups[0])
    with open(ico, "rb") as f:
        file = f.read()

    # Both start with reserved, type 1 and a count; entries of 14 bytes in
    # the group (ending in a resource id), 16 in the file (ending in an offset).
    _, _, count = struct.unpack_from("<HHH", group)
    _, _, file_count = struct.unpack_from("<HHH", file)
    rows = [("images in the first group", count, file_count)]
    for i in range(min(count, file_count)):
        w, h, colours, _, planes, bits, size, rid = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
        fw, fh, fcolours, _, fplanes, fbits, fsize, offset = struct.unpack_from(
            "<BBBBHHII", file, 6 + 16 * i)
        rows += [
            (f"image {i}: size", (w, h), (fw, fh)),
            (f"image {i}: colours", (colours, planes, bits), (fcolours, fplanes, fbits)),
            (f"image {i}: the file's bytes", icons.get(rid) == file[offset:offset + fsize], True),
            (f"image {i}: length in the group", size, fsize),
        ]
    if count:
        w, h, colours = struct.unpack_from("<BBB", group, 6)
        rows += [("first image is 32 x 32", (w, h), (32, 32)),
                 ("first image has 16 colours", colours, 16)]
    return compare(rows)


def imported_dlls(exe):
    out = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", exe], check=True,
                         stdout=subprocess.PIPE, text=True).stdout
    dlls = re.findall(r"^\s*DLL Name: (\S+)$", out, re.MULTILINE)
    if not dlls:
        raise Missing("no import table")
    return dlls


def check_imports(exe):
    problems = []
    for dll in imported_dlls(exe):
        if dll.lower() in COMPILER_RUNTIME:
            problems.append(f"imports {dll}, {COMPILER_RUNTIME[dll.lower()]}, "
                            "which Windows does not ship")
        elif dll.lower() not in SYSTEM_DLLS:
            problems.append(f"imports {dll}, which is not among the DLLs Windows ships")
    return problems


def check_hardening(exe):
    pe = pefile.PE(exe, fast_load=True)
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    rows = [(f"DllCharacteristics {flag}",
             bool(flags & pefile.DLL_CHARACTERISTICS[f"IMAGE_DLLCHARACTERISTICS_{flag}"]), True)
            for flag in HARDENING]
    text = next(s for s in pe.sections if s.Name.rstrip(b"\0") == b".text").get_data()
    failed = text.find(STACK_CHECK_FAILED)
    calls = sum(1 for m in re.finditer(b"\xe8", text) if failed >= 0 and
                m.start() + 5 + struct.unpack_from("<i", text, m.start() + 1)[0] == failed)
    rows.append(("functions the stack protector guards", calls > 0, True))
    return compare(rows)


def without(exe, flag, folder):
    """A copy of the file with one DllCharacteristics flag cleared."""
    pe = pefile.PE(exe, fast_load=True)
    pe.OPTIONAL_HEADER.DllCharacteristics &= ~pefile.DLL_CHARACTERISTICS[
        f"IMAGE_DLLCHARACTERISTICS_{flag}"]
    path = os.path.join(folder, f"without-{flag}.exe")
    pe.write(path)
    return path


def check_zip(cmake, build, exe, readme, version):
    subprocess.run([cmake, "--build", build, "--target", "package_zip"], check=True,
                   stdout=subprocess.DEVNULL)
    three = re.fullmatch(r"(\d+\.\d+\.\d+)(\.\d+)?", version).group(1)
    made = sorted(os.path.basename(p) for p in glob.glob(os.path.join(build, "*.zip")))
    want = f"numberwell-{three}-win64.zip"
    rows = [("zips made", made, [want])]
    if want in made:
        with zipfile.ZipFile(os.path.join(build, want)) as z:
            rows += [("members", sorted(z.namelist()), sorted([os.path.basename(exe), "README.md"])),
                     ("damaged member", z.testzip(), None)]
            for member, path in ((os.path.basename(exe), exe), ("README.md", readme)):
                with open(path, "rb") as f:
                    shipped = z.read(member) if member in z.namelist() else None
                    rows.append((f"{member} is the built one", shipped == f.read(), True))
    return compare(rows)


def run(check, *args):
    """The check's problems, or the one thing that kept it from running."""
    try:
        return check(*args)
    except Missing as e:
        return [str(e)]


def check_errors(exe, dynamic, ico, version, description, name):
    """Files each check must refuse, and a word of what it must say."""
    with tempfile.TemporaryDirectory() as folder:
        rows = [(f"without_{flag.lower()}", check_hardening, (without(exe, flag, folder),), flag)
                for flag in HARDENING] + [
            ("no_version_record", check_version, (dynamic, version, description, name),
             "no version record"),
            ("another_description", check_version, (exe, version, "not " + description, name),
             "FileDescription"),
            ("another_version", check_version, (exe, version + ".1", description, name),
             "FILEVERSION"),
            ("no_icon_group", check_icon, (dynamic, ico), "no icon group"),
            ("dynamic_cxx_runtime", check_imports, (dynamic,), "libstdc++-6.dll, the C++ runtime"),
            ("no_stack_protector", check_hardening, (dynamic,), "stack protector"),
        ]
        problems = []
        for row, check, args, said in rows:
            found = run(check, *args)
            if not any(said in p for p in found):
                problems.append(f"{row}: wanted a problem saying {said!r}, got {found!r}")
    return problems


CHECKS = {"version": check_version, "icon": check_icon, "imports": check_imports,
          "hardening": check_hardening, "zip": check_zip, "errors": check_errors}


def main():
    if len(sys.argv) < 2 or sys.argv[1] not in CHECKS:
        sys.exit(f"usage: test_winexe.py {'|'.join(CHECKS)} ARGS...")
    problems = run(CHECKS[sys.argv[1]], *sys.argv[2:])
    for p in problems:
        print("FAIL:", p, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
