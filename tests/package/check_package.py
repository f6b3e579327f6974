#!/usr/bin/env python3
"""Builds the ZIP package of a Windows build tree with CPack and checks what
a bench PC receives: exactly the shipped files, the images within their
size limits, and texts with Windows line ends; and what a programmer
receives: a header that x86 and x64 compilers of every dialect take and ARM
ones refuse with one clear message, import libraries whose members name no
folder, each made alike in any folder by its command, and an x64 library
for 64-bit programs that imports only KERNEL32 and USER32 and exports the
three functions at their ordinals.

  check_package.py BUILD_DIR PACKAGE_NAME X86_LIBRARY_COMMAND... -- X64_LIBRARY_COMMAND..."""
import glob
import os
import re
import subprocess
import sys
import tempfile
import zipfile

EXPECTED = {"Zorik.exe", "ZorikApi.dll", "ZorikApi.h", "ZorikApi.lib", "README.txt", "LICENSE.txt",
            "x64/ZorikApi.dll", "x64/ZorikApi.lib"}
SIZE_LIMITS = {"ZorikApi.dll": 16 * 1024, "Zorik.exe": 352 * 1024, "x64/ZorikApi.dll": 24 * 1024}
# InpOut32's library is the bench PC's own download: the package ships no
# DLL this build does not make (the tests' stand-in least of all).
NOT_SHIPPED_PREFIX = "inpout"
# What README.txt must tell a bench PC with 64-bit Windows.
README_PHRASES = [b"inpout32.dll", b"administrator", b"Access=", b"highrez.co.uk", b"Memory"]
X86_AND_X64_ONLY = "ZorikApi.dll is for x86 and x64 programs only"
# Compiler and options -> whether the header compiles.
HEADER_TABLE = [
    ("i686-w64-mingw32-gcc -x c -std=c89", True),
    ("i686-w64-mingw32-g++ -x c++ -std=c++98", True),
    ("clang --target=i686-pc-windows-msvc -x c++ -std=c++98", True),
    ("clang --target=x86_64-pc-windows-msvc -x c -std=c89", True),
    ("clang --target=x86_64-w64-windows-gnu -x c++ -std=c++98", True),
    ("x86_64-w64-mingw32-gcc -x c -std=c89", True),
    ("x86_64-w64-mingw32-g++ -x c++ -std=c++98", True),
    ("clang --target=aarch64-pc-windows-msvc -x c", False),
    ("clang --target=thumbv7-pc-windows-msvc -x c++", False),
    # ARM64EC builds say _M_X64 too, so that x64 code compiles for them.
    ("clang --target=x86_64-pc-windows-msvc -D_M_ARM64EC -x c", False),
]
# What objdump -p shows of the x64 library: a PE32+ image for AMD64, the
# three exports at ordinals 1 to 3, and the system's libraries alone.
X64_IMAGE_FACTS = ["file format pei-x86-64", "Magic\t\t\t020b\t(PE32+)",
                   "\tExport Address Table \t\t00000003", "\t[Name Pointer/Ordinal] Table\t00000003"]
X64_EXPORTS = ["[   0] +base[   1]", "[   1] +base[   2]", "[   2] +base[   3]"]
X64_EXPORT_NAMES = ["[   0] Zorik_Open", "[   1] Zorik_Read", "[   2] Zorik_Write"]
X64_IMPORTED_LIBRARIES = ["KERNEL32.dll", "USER32.dll"]
IMPORT_LIST = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "docs", "windows-imports.md")


def header_problems(header, folder):
    path = os.path.join(folder, "ZorikApi.h")
    with open(path, "wb") as out:
        out.write(header)
    problems = []
    for compiler, compiles in HEADER_TABLE:
        run = subprocess.run(compiler.split() + ["-pedantic-errors", "-Wall", "-Wextra", "-fsyntax-only", path],
                             capture_output=True, text=True)
        errors = [line for line in run.stderr.splitlines() if "error:" in line]
        refused = run.returncode != 0 and len(errors) == 1 and X86_AND_X64_ONLY in errors[0]
        if (run.returncode == 0 and not run.stderr) if compiles else refused:
            continue
        problems.append(f"ZorikApi.h under {compiler}: exit {run.returncode}, {run.stderr.strip() or 'no message'}")
    return problems


def import_library_problems(shipped_name, library, folder, command):
    # Members named after the DLL they import from, as in the Windows SDK's
    # libraries, never after the folder the library was made in.
    path = os.path.join(folder, "shipped.lib")
    with open(path, "wb") as out:
        out.write(library)
    names = subprocess.run(["llvm-ar", "t", path], capture_output=True, text=True, check=True).stdout.split()
    problems = [f"{shipped_name} member {name} is not named ZorikApi.dll" for name in names if name != "ZorikApi.dll"]
    subprocess.run(command + ["-l", "ZorikApi.lib"], cwd=folder, check=True)
    with open(os.path.join(folder, "ZorikApi.lib"), "rb") as again:
        if again.read() != library:
            problems.append(f"{shipped_name} made in another folder differs from the shipped one")
    return problems


def x64_image_problems(image, folder):
    path = os.path.join(folder, "x64-ZorikApi.dll")
    with open(path, "wb") as out:
        out.write(image)
    dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", path], capture_output=True, text=True).stdout
    problems = [f"x64/ZorikApi.dll: objdump -p lacks '{fact}'"
                for fact in X64_IMAGE_FACTS + X64_EXPORTS + X64_EXPORT_NAMES if fact not in dump]
    imported = [line.split("DLL Name:")[1].strip() for line in dump.splitlines() if "DLL Name:" in line]
    if imported != X64_IMPORTED_LIBRARIES:
        problems.append(f"x64/ZorikApi.dll imports {imported}, expected {X64_IMPORTED_LIBRARIES} alone")
    # Each function it imports is one the 32-bit images may import too,
    # listed with the releases that export it.
    with open(IMPORT_LIST, encoding="utf-8") as listing:
        listed = set(re.findall(r"^\| (\w+) \| `(\w+)` \|", listing.read(), re.MULTILINE))
    library = None
    for line in dump.splitlines():
        if "DLL Name:" in line:
            library = line.split("DLL Name:")[1].strip().upper().removesuffix(".DLL")
        elif library and re.match(r"^\t[0-9a-f]+\t +\d+ +\w+$", line):
            function = line.split()[-1]
            if (library, function) not in listed:
                problems.append(f"x64/ZorikApi.dll imports {library} {function}, not in {IMPORT_LIST}")
    return problems


def main(build_dir, package_name, x86_library_command, x64_library_command):
    with tempfile.TemporaryDirectory() as out:
        subprocess.run(["cpack", "--config", f"{build_dir}/CPackConfig.cmake", "-B", out],
                       check=True, stdout=subprocess.DEVNULL)
        zips = glob.glob(f"{out}/*.zip")
        problems = []
        if [z.rsplit("/", 1)[-1] for z in zips] != [f"{package_name}.zip"]:
            return [f"expected {package_name}.zip, cpack made {zips}"]
        with zipfile.ZipFile(zips[0]) as package:
            files = {}
            for info in package.infolist():
                if info.is_dir():
                    continue
                folder, _, name = info.filename.partition("/")
                if folder != package_name:
                    problems.append(f"{info.filename} is not in the folder {package_name}/")
                files[name] = package.read(info)
        if set(files) != EXPECTED:
            problems.append(f"files {sorted(files)}, expected {sorted(EXPECTED)}")
        problems += [f"ships {name}, which this build does not make" for name in files
                     if name.lower().startswith(NOT_SHIPPED_PREFIX)]
        readme = files.get("README.txt", b"")
        problems += [f"README.txt does not mention {phrase.decode()}" for phrase in README_PHRASES
                     if phrase not in readme]
        if b"use a\r\n32-bit system" in readme or b"use a 32-bit system" in readme:
            problems.append("README.txt still sends 64-bit Windows to a 32-bit system")
        for name, limit in SIZE_LIMITS.items():
            size = len(files.get(name, b""))
            print(f"{name}: {size} bytes (limit {limit})")
            if not 0 < size <= limit:
                problems.append(f"{name} is {size} bytes, limit {limit}")
        for name in ("README.txt", "LICENSE.txt"):
            text = files.get(name, b"")
            if not text or text.count(b"\n") != text.count(b"\r\n"):
                problems.append(f"{name} does not end every line with CR LF")
        problems += header_problems(files.get("ZorikApi.h", b""), out)
        for shipped_name, command in (("ZorikApi.lib", x86_library_command),
                                      ("x64/ZorikApi.lib", x64_library_command)):
            problems += import_library_problems(shipped_name, files.get(shipped_name, b""), out, command)
        problems += x64_image_problems(files.get("x64/ZorikApi.dll", b""), out)
        return problems


if __name__ == "__main__":
    commands = sys.argv[3:]
    split = commands.index("--")
    found = main(sys.argv[1], sys.argv[2], commands[:split], commands[split + 1:])
    for problem in found:
        print("package:", problem)
    print("package: ok" if not found else f"package: {len(found)} problem(s)")
    sys.exit(1 if found else 0)
