#!/usr/bin/env python3
"""Builds the ZIP package of a Windows build tree with CPack and checks what
a bench PC receives: exactly the shipped files, both images within their
size limits, and texts with Windows line ends; and what a programmer
receives: a header that 32-bit compilers of every dialect take and 64-bit
or ARM ones refuse with one clear message, and an import library whose
members name no folder, made alike in any folder by IMPORT_LIBRARY_COMMAND."""
import glob
import os
import subprocess
import sys
import tempfile
import zipfile

EXPECTED = {"Zorik.exe", "ZorikApi.dll", "ZorikApi.h", "ZorikApi.lib", "README.txt", "LICENSE.txt"}
# Zorik.exe: 320 KB before the line's database (ODBC, its thread, the
# outbox, the table's statements) and the shared history; 352 KB with them.
SIZE_LIMITS = {"ZorikApi.dll": 32 * 1024, "Zorik.exe": 352 * 1024}
X86_ONLY = "ZorikApi.dll is 32-bit x86 only"
# Compiler and options -> whether the header compiles.
HEADER_TABLE = [
    ("i686-w64-mingw32-gcc -x c -std=c89", True),
    ("i686-w64-mingw32-g++ -x c++ -std=c++98", True),
    ("clang --target=i686-pc-windows-msvc -x c++ -std=c++98", True),
    ("clang --target=x86_64-pc-windows-msvc -x c", False),
    ("clang --target=x86_64-w64-windows-gnu -x c++", False),
    ("clang --target=aarch64-pc-windows-msvc -x c", False),
    ("clang --target=thumbv7-pc-windows-msvc -x c++", False),
]


def header_problems(header, folder):
    path = os.path.join(folder, "ZorikApi.h")
    with open(path, "wb") as out:
        out.write(header)
    problems = []
    for compiler, compiles in HEADER_TABLE:
        run = subprocess.run(compiler.split() + ["-pedantic-errors", "-Wall", "-Wextra", "-fsyntax-only", path],
                             capture_output=True, text=True)
        errors = [line for line in run.stderr.splitlines() if "error:" in line]
        refused = run.returncode != 0 and len(errors) == 1 and X86_ONLY in errors[0]
        if (run.returncode == 0 and not run.stderr) if compiles else refused:
            continue
        problems.append(f"ZorikApi.h under {compiler}: exit {run.returncode}, {run.stderr.strip() or 'no message'}")
    return problems


def import_library_problems(library, folder, command):
    # Members named after the DLL they import from, as in the Windows SDK's
    # libraries, never after the folder the library was made in.
    path = os.path.join(folder, "shipped.lib")
    with open(path, "wb") as out:
        out.write(library)
    names = subprocess.run(["llvm-ar", "t", path], capture_output=True, text=True, check=True).stdout.split()
    problems = [f"ZorikApi.lib member {name} is not named ZorikApi.dll" for name in names if name != "ZorikApi.dll"]
    subprocess.run(command + ["-l", "ZorikApi.lib"], cwd=folder, check=True)
    with open(os.path.join(folder, "ZorikApi.lib"), "rb") as again:
        if again.read() != library:
            problems.append("ZorikApi.lib made in another folder differs from the shipped one")
    return problems


def main(build_dir, package_name, import_library_command):
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
                folder, _, name = info.filename.rpartition("/")
                if folder != package_name:
                    problems.append(f"{info.filename} is not in the folder {package_name}/")
                files[name] = package.read(info)
        if set(files) != EXPECTED:
            problems.append(f"files {sorted(files)}, expected {sorted(EXPECTED)}")
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
        problems += import_library_problems(files.get("ZorikApi.lib", b""), out, import_library_command)
        return problems


if __name__ == "__main__":
    found = main(sys.argv[1], sys.argv[2], sys.argv[3:])
    for problem in found:
        print("package:", problem)
    print("package: ok" if not found else f"package: {len(found)} problem(s)")
    sys.exit(1 if found else 0)
