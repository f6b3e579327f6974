/*
 * ZorikApi: channel access to the Zorik digital I/O unit on the PC's
 * parallel port (data register 0x378, status register 0x379, unless
 * ZorikApi.ini beside the DLL gives another base in [Port] Base=).
 *
 * Calling convention: __stdcall, names exported undecorated
 * (Zorik_Open @1, Zorik_Read @2, Zorik_Write @3).
 * Every argument and result is a 32-bit int.
 *
 * Two builds of the library share this header: the 32-bit x86 one
 * (ZorikApi.dll and ZorikApi.lib) and the x64 one (x64\ZorikApi.dll and
 * x64\ZorikApi.lib), which 64-bit programs load. An x64 compiler ignores
 * __stdcall: x64 Windows has one calling convention.
 */
#ifndef ZORIKAPI_H
#define ZORIKAPI_H

/* No build of ZorikApi.dll serves ARM, ARM64EC or Itanium programs (a
 * parallel port and its driver are x86 and x64 things); such a program
 * would otherwise only learn so from its linker or loader. A resource
 * script that includes this header names no processor. */
#if !defined(RC_INVOKED) && \
    (!(defined(_M_IX86) || defined(__i386__) || defined(_M_X64) || defined(__x86_64__)) || defined(_M_ARM64EC))
#error "ZorikApi.dll is for x86 and x64 programs only: build this program for x86 (Win32) or x64"
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define ZORIK_CALL __stdcall

#ifdef ZORIKAPI_BUILDING_DLL
#define ZORIKAPI_IMPORT
#else
#define ZORIKAPI_IMPORT __declspec(dllimport)
#endif

/* Checks that the running Windows lets this process use the port and
 * records `mode` for later writes (1 forces data bits 5 to 7 on). On the
 * NT family the port is reached through the giveio driver or, where that
 * cannot load (64-bit Windows), through InpOut32's inpout32.dll in the
 * DLL's own folder; ZorikApi.ini's [Port] Access= may choose one. The x64
 * library reaches it only through InpOut32's inpoutx64.dll in its own
 * folder (Access=giveio is refused there).
 * Returns 1 when the port may be used, 0 when not; on failure the operator
 * has already seen a message box. A bad Base in ZorikApi.ini is one such
 * failure, and then no function touches any port. */
ZORIKAPI_IMPORT int ZORIK_CALL Zorik_Open(int mode);

/* Returns 1 when input `channel` (0 to 2) is low, 0 when it is high.
 * Any other channel returns 0 without touching the port. */
ZORIKAPI_IMPORT int ZORIK_CALL Zorik_Read(int channel);

/* Switches output `channel` (0 to 2) on when `state` is exactly 1, off for
 * any other value. Any other channel is ignored. */
ZORIKAPI_IMPORT void ZORIK_CALL Zorik_Write(int channel, int state);

#ifdef __cplusplus
}
#endif

#endif /* ZORIKAPI_H */
