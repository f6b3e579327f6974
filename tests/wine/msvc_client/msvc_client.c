/* A caller of ZorikApi.dll as a Visual Studio user builds it: Microsoft ABI
 * (x86 or x64), no C runtime, only KERNEL32 besides. Bound at load time through
 * ZorikApi.lib (ZORIK_LINKED), or else at run time by GetProcAddress, by
 * ordinal when the command line ends in "ordinal", else by name. Each call
 * is announced to the port emulator; the results go to standard output. */
#include <ZorikApi.h>

#include <stddef.h>

__declspec(dllimport) void __stdcall ExitProcess(unsigned code);
__declspec(dllimport) char *__stdcall GetCommandLineA(void);
__declspec(dllimport) void *__stdcall GetStdHandle(unsigned long which);
__declspec(dllimport) void *__stdcall GetProcAddress(void *module, const char *name);
__declspec(dllimport) void *__stdcall LoadLibraryA(const char *name);
__declspec(dllimport) void __stdcall OutputDebugStringA(const char *text);
__declspec(dllimport) int __stdcall WriteFile(void *file, const void *data, unsigned long size,
                                              unsigned long *written, void *overlapped);

static const struct {
    int channel, state;
    const char *step;
} WRITES[] = {
    {0, 0, "zorik-emulator:step Zorik_Write(0,0)"}, {2, 1, "zorik-emulator:step Zorik_Write(2,1)"},
    {1, 0, "zorik-emulator:step Zorik_Write(1,0)"}, {1, 1, "zorik-emulator:step Zorik_Write(1,1)"},
    {1, 2, "zorik-emulator:step Zorik_Write(1,2)"}, {3, 1, "zorik-emulator:step Zorik_Write(3,1)"},
};
static const char *const READS[] = {"zorik-emulator:step Zorik_Read(0)", "zorik-emulator:step Zorik_Read(1)",
                                    "zorik-emulator:step Zorik_Read(2)", "zorik-emulator:step Zorik_Read(3)"};
static char result[] = "Zorik_Open(1)=?\nstatus 20: ? ? ? ?\n";

void __stdcall zorik_client_main(void)
{
    int(__stdcall * open)(int);
    int(__stdcall * read)(int);
    void(__stdcall * write)(int, int);
    unsigned long written;
    int i;
#ifdef ZORIK_LINKED
    open = Zorik_Open;
    read = Zorik_Read;
    write = Zorik_Write;
#else
    static const char *const NAMES[] = {"Zorik_Open", "Zorik_Read", "Zorik_Write"};
    void *library = LoadLibraryA("ZorikApi.dll"), *functions[3];
    const char *end = GetCommandLineA();
    while (*end)
        ++end;
    for (i = 0; i < 3; ++i)
        if (!(functions[i] = GetProcAddress(library, end[-1] == 'l' ? (const char *)(size_t)(i + 1) : NAMES[i])))
            ExitProcess(2);
    open = (int(__stdcall *)(int))functions[0];
    read = (int(__stdcall *)(int))functions[1];
    write = (void(__stdcall *)(int, int))functions[2];
#endif
    OutputDebugStringA("zorik-emulator:step Zorik_Open(1)");
    result[14] = (char)('0' + open(1));
    for (i = 0; i < 6; ++i) {
        OutputDebugStringA(WRITES[i].step);
        write(WRITES[i].channel, WRITES[i].state);
    }
    OutputDebugStringA("zorik-emulator:status 20");
    for (i = 0; i < 4; ++i) {
        OutputDebugStringA(READS[i]);
        result[27 + 2 * i] = (char)('0' + read(i));
    }
    WriteFile(GetStdHandle((unsigned long)-11), result, sizeof result - 1, &written, 0);
    ExitProcess(0);
}
