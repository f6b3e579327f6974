// A program that loads ZorikApi.dll at run time and unloads it again must
// not be left with any fault handling of the library's pointing into freed
// code.
#include "support/own_port_instructions.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

using zorik::wine::OWN_HANDLER_READ_VALUE;
using zorik::wine::OwnFaultHandler;

using ReadFn = int(__stdcall*)(int);
using WriteFn = void(__stdcall*)(int, int);

// Loads the library, makes it touch the port (and have its refused
// instructions caught) and unloads it again.
void useAndUnloadLibrary()
{
    HMODULE library = LoadLibraryA("ZorikApi.dll");
    ASSERT_NE(nullptr, library);
    auto read = reinterpret_cast<ReadFn>(reinterpret_cast<void*>(GetProcAddress(library, "Zorik_Read")));
    auto write = reinterpret_cast<WriteFn>(reinterpret_cast<void*>(GetProcAddress(library, "Zorik_Write")));
    ASSERT_NE(nullptr, read);
    ASSERT_NE(nullptr, write);
    write(0, 1);
    EXPECT_EQ(0, read(0));
    ASSERT_TRUE(FreeLibrary(library));
    ASSERT_EQ(nullptr, GetModuleHandleA("ZorikApi.dll")) << "library still loaded";
}

TEST(UnloadedLibrary, LeavesNoFaultHandlerBehind)
{
    // Any process-wide handler left behind by the unloaded library would be
    // called before this one and jump into freed memory.
    OwnFaultHandler own;
    for (int load = 1; load <= 2; ++load) {
        SCOPED_TRACE(load);
        ASSERT_NO_FATAL_FAILURE(useAndUnloadLibrary());
        EXPECT_EQ(OWN_HANDLER_READ_VALUE, zorik_test_port_in(0x379));
        EXPECT_EQ(load, own.faultsSeen());
    }
}

} // namespace
