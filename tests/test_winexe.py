# Checks numberwell.exe as built, in one pass: the version record and the icon
# a file manager shows, the DLLs it imports, its hardening, and the zip it
# ships in. What the file must say comes from the build's arguments.
#
#   test_winexe.py CMAKE BUILD_DIR EXE ICO README VERSION DESCRIPTION NAME
import glob
import hashlib
import os
import re
import struct
import subprocess
import sys
import zipfile
from pathlib import Path

import pefile

# DLLs every 64-bit Windows has; the program may import nothing else (not the
# compiler's runtime, for one).
SYSTEM_DLLS = {name + ".dll" for name in "kernel32 user32 gdi32 comctl32 comdlg32 shell32 shlwapi advapi32 msvcrt"
               " ole32 oleaut32 oleacc uxtheme dwmapi imm32 version shcore ntdll".split()}
# The stack protector's failure (runtime/win32/desktop.cpp) fails fast with
# FAST_FAIL_STACK_COOKIE_CHECK_FAILURE. The file is stripped of symbols, so
# the code is found by its bytes, and the functions it guards by their calls.
STACK_CHECK_FAILED = bytes.fromhex("b902000000cd29")  # mov ecx, 2; int 0x29


def sha(data):
    return hashlib.sha256(data).hexdigest()


def dotted(ms, ls):
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"


def main(cmake, build, exe, ico, readme, version, description, name):
    pe = pefile.PE(exe)
    fixed, infos = pe.VS_FIXEDFILEINFO[0], pe.FileInfo[0]
    tables = [t for info in infos for t in getattr(info, "StringTable", [])]
    strings = {k.decode(): v.decode() for t in tables for k, v in t.entries.items()}
    # "0x0409 0x04b0" names the block 040904B0, where file managers look.
    translation = "".join(f"{int(x, 16):04X}" for info in infos for var in getattr(info, "Var", [])
                          for x in var.entry.get(b"Translation", b"").split())
    want = {"FileVersion": version, "ProductVersion": version, "FileDescription": description,
            "ProductName": name, "OriginalFilename": os.path.basename(exe)}
    rows = [(k, strings.get(k), v) for k, v in want.items()] + [
        (k.upper(), dotted(getattr(fixed, k + "MS"), getattr(fixed, k + "LS")), version)
        for k in ("FileVersion", "ProductVersion")] + [
        ("FILETYPE is an application", fixed.FileType, 1),
        ("string tables, the translation's one", [t.LangID.decode().upper() for t in tables], [translation])]

    # The first icon group, the one a file manager shows, holds the images of
    # the .ico file, byte for byte, the first at 32 x 32 in 16 colours. Both
    # start with reserved, type and count; then an entry per image, alike for
    # 12 bytes: in the group 14 long, ending in the image's resource id; in
    # the file 16, ending in the image's offset.
    def data(entry):
        at = entry.directory.entries[0].data.struct
        return pe.get_data(at.OffsetToData, at.Size)
    kinds = {e.id: e.directory.entries for e in pe.DIRECTORY_ENTRY_RESOURCE.entries}
    images = {e.id: sha(data(e)) for e in kinds.get(pefile.RESOURCE_TYPE["RT_ICON"], [])}
    group, file = data(kinds[pefile.RESOURCE_TYPE["RT_GROUP_ICON"]][0]), Path(ico).read_bytes()

    def entries(d, size):
        return [d[6 + size * i:6 + size * (i + 1)] for i in range(struct.unpack_from("<H", d, 4)[0])]
    in_group = [(e[:12], images.get(struct.unpack_from("<H", e, 12)[0])) for e in entries(group, 14)]
    in_file = [(e[:12], sha(file[offset:offset + length]))
               for e in entries(file, 16) for length, offset in [struct.unpack_from("<II", e, 8)]]
    rows += [("icon directory: reserved, type, count", group[:6], file[:6]),
             ("first icon image: width, height, colours", tuple(group[6:9]), (32, 32, 16)),
             ("icon images: entry and bytes", in_group, in_file)]

    # Hardening: ASLR with high entropy, DEP, no terminal-server shims, and
    # calls to the stack protector's failure.
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    rows += [(f, flags & pefile.DLL_CHARACTERISTICS["IMAGE_DLLCHARACTERISTICS_" + f] != 0, True)
             for f in ("DYNAMIC_BASE", "HIGH_ENTROPY_VA", "NX_COMPAT", "TERMINAL_SERVER_AWARE")]
    text = next(s for s in pe.sections if s.Name.rstrip(b"\0") == b".text").get_data()
    failed = text.find(STACK_CHECK_FAILED)
    calls = [m for m in re.finditer(rb"\xe8(?=(.{4}))", text, re.S)
             if failed >= 0 and m.start() + 5 + struct.unpack("<i", m[1])[0] == failed]
    rows += [("calls to the stack protector's failure", bool(calls), True),
             ("DLLs Windows does not ship", [e.dll.decode() for e in pe.DIRECTORY_ENTRY_IMPORT
                                             if e.dll.decode().lower() not in SYSTEM_DLLS], [])]

    # The zip as the build makes it: the program and README.md, as built.
    subprocess.run([cmake, "--build", build, "--target", "package_zip"], check=True, stdout=subprocess.DEVNULL)
    zip_name = "numberwell-%s-win64.zip" % re.match(r"\d+\.\d+\.\d+", version)[0]
    rows.append(("zips made", glob.glob("*.zip", root_dir=build), [zip_name]))
    with zipfile.ZipFile(os.path.join(build, zip_name)) as z:
        rows.append(("zip members", {n: sha(z.read(n)) for n in z.namelist()},
                     {os.path.basename(f): sha(Path(f).read_bytes()) for f in (exe, readme)}))

    # The mismatches, printed, and exit status 1.
    return "\n".join(f"{what}: got {got!r}, want {want!r}" for what, got, want in rows if got != want) or None


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
