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
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "comdlg32.dll", "shell32.dll",
    "shlwapi.dll", "advapi32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll", "oleacc.dll",
    "uxtheme.dll", "dwmapi.dll", "imm32.dll", "version.dll", "shcore.dll", "ntdll.dll",
}
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
    rows = [
        ("FILEVERSION", dotted(fixed.FileVersionMS, fixed.FileVersionLS), version),
        ("PRODUCTVERSION", dotted(fixed.ProductVersionMS, fixed.ProductVersionLS), version),
        ("FILETYPE is an application", fixed.FileType, 1),
        ("string tables, the translation's one", [t.LangID.decode().upper() for t in tables],
         [translation]),
        ("FileVersion", strings.get("FileVersion"), version),
        ("ProductVersion", strings.get("ProductVersion"), version),
        ("FileDescription", strings.get("FileDescription"), description),
        ("ProductName", strings.get("ProductName"), name),
        ("OriginalFilename", strings.get("OriginalFilename"), os.path.basename(exe)),
    ]

    # The first icon group, the one a file manager shows, holds the images of
    # the .ico file, byte for byte, the first at 32 x 32 in 16 colours. Both
    # start with reserved, type and count; then entries of 14 bytes in the
    # group, ending in a resource id, of 16 in the file, ending in an offset.
    def data(entry):
        at = entry.directory.entries[0].data.struct
        return pe.get_data(at.OffsetToData, at.Size)
    kinds = {e.id: e.directory.entries for e in pe.DIRECTORY_ENTRY_RESOURCE.entries}
    images = {e.id: data(e) for e in kinds.get(pefile.RESOURCE_TYPE["RT_ICON"], [])}
    group = data(kinds[pefile.RESOURCE_TYPE["RT_GROUP_ICON"]][0])
    file = Path(ico).read_bytes()
    count, file_count = struct.unpack_from("<H", group, 4)[0], struct.unpack_from("<H", file, 4)[0]
    rows += [("icon images", count, file_count),
             ("first icon image: width, height, colours", tuple(group[6:9]), (32, 32, 16))]
    for i in range(min(count, file_count)):
        *entry, rid = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
        *want, offset = struct.unpack_from("<BBBBHHII", file, 6 + 16 * i)
        rows += [(f"icon image {i}", entry, want),
                 (f"icon image {i}: the file's bytes",
                  sha(images.get(rid, b"")), sha(file[offset:offset + want[-1]]))]

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
    subprocess.run([cmake, "--build", build, "--target", "package_zip"], check=True,
                   stdout=subprocess.DEVNULL)
    zip_name = "numberwell-%s-win64.zip" % re.match(r"\d+\.\d+\.\d+", version)[0]
    made = [os.path.basename(p) for p in glob.glob(os.path.join(build, "*.zip"))]
    rows.append(("zips made", made, [zip_name]))
    with zipfile.ZipFile(os.path.join(build, zip_name)) as z:
        rows.append(("zip members", {n: sha(z.read(n)) for n in z.namelist()},
                     {os.path.basename(exe): sha(Path(exe).read_bytes()),
                      "README.md": sha(Path(readme).read_bytes())}))

    # The mismatches, printed, and exit status 1.
    return "\n".join(f"{what}: got {got!r}, want {want!r}" for what, got, want in rows if got != want) or None


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
