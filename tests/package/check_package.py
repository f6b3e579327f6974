#!/usr/bin/env python3
"""Builds the ZIP package of a Windows build tree with CPack and checks what
a bench PC receives: exactly the shipped files, both images within their
size limits, and texts with Windows line ends."""
import glob
import subprocess
import sys
import tempfile
import zipfile

EXPECTED = {"Zorik.exe", "ZorikApi.dll", "ZorikApi.h", "ZorikApi.lib", "README.txt", "LICENSE.txt"}
SIZE_LIMITS = {"ZorikApi.dll": 32 * 1024, "Zorik.exe": 256 * 1024}


def main(build_dir, package_name):
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
        return problems


if __name__ == "__main__":
    found = main(sys.argv[1], sys.argv[2])
    for problem in found:
        print("package:", problem)
    print("package: ok" if not found else f"package: {len(found)} problem(s)")
    sys.exit(1 if found else 0)
