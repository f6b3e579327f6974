# Sourced by the scripts that start Wine. Wine's 32-bit loader needs a kernel
# that executes IA-32 programs; some virtual machines and sandboxes are built
# without that, and every 32-bit program then fails to start with ENOEXEC
# ("Exec format error"). That cause, and only that one, is told apart here:
# any other failure of the loader or of Wine stays a failure of the test.

# The 32-bit loader every i386 program starts through (libc6:i386).
ZORIK_IA32_LOADER=${ZORIK_IA32_LOADER:-/lib/ld-linux.so.2}

# zorik_kernel_runs_ia32 [LOADER]: returns 1 when the kernel refuses to
# execute LOADER with ENOEXEC, 0 otherwise (it ran, whatever it returned, or
# it failed for another reason: a missing loader is a missing package).
zorik_kernel_runs_ia32() {
    local rc=0
    python3 - "${1:-$ZORIK_IA32_LOADER}" <<'PY' || rc=$?
import errno, subprocess, sys
try:
    subprocess.run([sys.argv[1], "--help"], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
except OSError as error:
    sys.exit(1 if error.errno == errno.ENOEXEC else 0)
except subprocess.TimeoutExpired:
    pass
sys.exit(0)
PY
    [ "$rc" -ne 1 ]
}

# zorik_is_x64_image FILE: returns 0 when FILE is a Windows image for x64
# (PE, machine AMD64), which Wine's 64-bit loader runs without any 32-bit
# code; 1 for anything else (a 32-bit image, no image, no file).
zorik_is_x64_image() {
    python3 - "$1" <<'PY'
import struct, sys
try:
    with open(sys.argv[1], "rb") as image:
        head = image.read(4096)
    offset = struct.unpack_from("<I", head, 0x3C)[0]
    signature, machine = struct.unpack_from("<4sH", head, offset)
except (OSError, struct.error):
    sys.exit(1)
sys.exit(0 if head[:2] == b"MZ" and signature == b"PE\0\0" and machine == 0x8664 else 1)
PY
}

# What a Wine test prints when it is skipped for that reason, and the exit
# code CTest reads as "skipped" (SKIP_RETURN_CODE in tests/CMakeLists.txt).
ZORIK_IA32_SKIP_CODE=77
zorik_ia32_reason() {
    echo "this kernel runs no 32-bit x86 programs ($ZORIK_IA32_LOADER: Exec format error), so Wine's 32-bit loader cannot start"
}
zorik_ia32_needs() {
    echo "a kernel with IA-32 emulation (CONFIG_IA32_EMULATION, not switched off with ia32_emulation=0), for example a stock Debian kernel"
}
