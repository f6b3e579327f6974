/* A caller of ZorikApi.dll as a Visual Studio user would build it: Microsoft
 * ABI, no C runtime, only KERNEL32 besides the library. Built twice: bound
 * at load time through ZorikApi.lib (ZORIK_LINKED), or at run time through
 * GetProcAddress by name or by ordinal (the first argument: "name" or
 * "ordinal"). Each call is announced to the port emulator first; the
 * results go to standard output. */
#include <ZorikApi.h>

typedef void *HANDLE;
__declspec(dllimport) void __stdcall ExitProcess(unsigned code);
__declspec(dllimport) char *__stdcall GetCommandLineA(void);
__declspec(dllimport) HANDLE __stdcall GetStdHandle(unsigned long which);
__declspec(dllimport) void *__stdcall GetProcAddress(void *module, const char *name);
__declspec(dllimport) void *__stdcall LoadLibraryA(const char *name);
__declspec(dllimport) void __stdcall OutputDebugStringA(const char *text);
__declspec(dllimport) int __stdcall WriteFile(HANDLE file, const void *data, unsigned long size,
                                              unsigned long *written, void *overlapped);

typedef int(__stdcall *OpenFunction)(int);
typedef int(__stdcall *ReadFunction)(int);
typedef void(__stdcall *WriteFunction)(int, int);

static const struct {
    int channel, state;
    const char *step;
} WRITES[] = {
    {0, 0, "zorik-emulator:step Zorik_Write(0,0)"}, {2, 1, "zorik-emulator:step Zorik_Write(2,1)"},
    {1, 0, "zorik-emulator:step Zorik_Write(1,0)"}, {1, 1, "zorik-emulator:step Zorik_Write(1,1)"},
    {1, 2, "zorik-emulator:step Zorik_Write(1,2)"}, {3, 1, "zorik-emulator:step Zorik_Write(3,1)"},
};
static const char *const READ_STEPS[] = {"zorik-emulator:step Zorik_Read(0)", "zorik-emulator:step Zorik_Read(1)",
                                         "zorik-emulator:step Zorik_Read(2)", "zorik-emulator:step Zorik_Read(3)"};

#ifndef ZORIK_LINKED
static int contains(const char *text, const char *word)
{
    const char *t, *w;
    for (; *text; ++text) {
        for (t = text, w = word; *w && *t == *w; ++t, ++w) {
        }
        if (!*w)
            return 1;
    }
    return 0;
}
#endif

/* "Zorik_Open(1)=R\nstatus 20: R R R R\n" */
static void report(int opened, const int *reads)
{
    static char line[] = "Zorik_Open(1)=?\nstatus 20: ? ? ? ?\n";
    unsigned long written;
    int i;
    line[14] = (char)('0' + opened);
    for (i = 0; i < 4; ++i)
        line[27 + 2 * i] = (char)('0' + reads[i]);
    WriteFile(GetStdHandle((unsigned long)-11), line, sizeof line - 1, &written, 0);
}

void __stdcall zorik_client_main(void)
{
    OpenFunction open;
    ReadFunction read;
    WriteFunction write;
    int opened, reads[4], i;
#ifdef ZORIK_LINKED
    open = Zorik_Open;
    read = Zorik_Read;
    write = Zorik_Write;
#else
    void *library = LoadLibraryA("ZorikApi.dll");
    if (!library)
        ExitProcess(2);
    if (contains(GetCommandLineA(), "ordinal")) {
        open = (OpenFunction)GetProcAddress(library, (const char *)1);
        read = (ReadFunction)GetProcAddress(library, (const char *)2);
        write = (WriteFunction)GetProcAddress(library, (const char *)3);
    } else {
        open = (OpenFunction)GetProcAddress(library, "Zorik_Open");
        read = (ReadFunction)GetProcAddress(library, "Zorik_Read");
        write = (WriteFunction)GetProcAddress(library, "Zorik_Write");
    }
    if (!open || !read || !write)
        ExitProcess(3);
#endif
    OutputDebugStringA("zorik-emulator:step Zorik_Open(1)");
    opened = open(1);
    for (i = 0; i < (int)(sizeof WRITES / sizeof WRITES[0]); ++i) {
        OutputDebugStringA(WRITES[i].step);
        write(WRITES[i].channel, WRITES[i].state);
    }
    OutputDebugStringA("zorik-emulator:status 20");
    for (i = 0; i < 4; ++i) {
        OutputDebugStringA(READ_STEPS[i]);
        reads[i] = read(i);
    }
    report(opened, reads);
    ExitProcess(0);
}
