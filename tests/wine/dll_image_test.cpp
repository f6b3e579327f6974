// ZorikApi.dll as the Windows loader sees it: the image headers of the
// loaded module, its export and import tables, and calls made through the
// import library this program was linked with.
#include "support/prefix_facts.h"
#include "support/stack_balance.h"
#include "support/system_libraries.h"

#include <ZorikApi.h>

#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace {

class LoadedImage {
public:
    explicit LoadedImage(HMODULE module) : base_(reinterpret_cast<const BYTE*>(module)) {}

    const IMAGE_NT_HEADERS32& headers() const
    {
        const auto* dos = at<IMAGE_DOS_HEADER>(0);
        return *at<IMAGE_NT_HEADERS32>(dos->e_lfanew);
    }

    const IMAGE_DATA_DIRECTORY& directory(int index) const
    {
        return headers().OptionalHeader.DataDirectory[index];
    }

    // Exported name -> ordinal.
    std::map<std::string, DWORD> exportedNames() const
    {
        std::map<std::string, DWORD> names;
        const auto* exports = exportDirectory();
        const auto* nameRvas = at<DWORD>(exports->AddressOfNames);
        const auto* indexes = at<WORD>(exports->AddressOfNameOrdinals);
        for (DWORD i = 0; i < exports->NumberOfNames; ++i)
            names[at<char>(nameRvas[i])] = exports->Base + indexes[i];
        return names;
    }

    const IMAGE_EXPORT_DIRECTORY* exportDirectory() const
    {
        return at<IMAGE_EXPORT_DIRECTORY>(directory(IMAGE_DIRECTORY_ENTRY_EXPORT).VirtualAddress);
    }

    std::vector<std::string> importedLibraries() const
    {
        std::vector<std::string> libraries;
        const DWORD rva = directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress;
        if (rva == 0)
            return libraries;
        for (const auto* entry = at<IMAGE_IMPORT_DESCRIPTOR>(rva); entry->Name != 0; ++entry)
            libraries.emplace_back(at<char>(entry->Name));
        return libraries;
    }

    template <class T>
    const T* at(DWORD rva) const
    {
        return reinterpret_cast<const T*>(base_ + rva);
    }

private:
    const BYTE* base_;
};

class ZorikApiImage : public ::testing::Test {
protected:
    // Linked through the import library, so the loader has mapped it
    // before the first test runs.
    HMODULE module = GetModuleHandleA("ZorikApi.dll");
    LoadedImage image{module};
};

TEST_F(ZorikApiImage, IsAPe32DllForI386)
{
    ASSERT_NE(nullptr, module);
    const auto& headers = image.headers();
    EXPECT_EQ(static_cast<DWORD>(IMAGE_NT_SIGNATURE), headers.Signature);
    EXPECT_EQ(IMAGE_FILE_MACHINE_I386, headers.FileHeader.Machine);
    EXPECT_EQ(IMAGE_NT_OPTIONAL_HDR32_MAGIC, headers.OptionalHeader.Magic);
    EXPECT_TRUE(headers.FileHeader.Characteristics & IMAGE_FILE_DLL);
    // Windows 95 refuses to LoadLibrary a DLL with a thread-local storage
    // directory, and Visual Basic and LabVIEW programs load it that way.
    EXPECT_EQ(0u, image.directory(IMAGE_DIRECTORY_ENTRY_TLS).Size);
}

TEST_F(ZorikApiImage, OptsInToAslrAndDep)
{
    ASSERT_NE(nullptr, module);
    const WORD flags = image.headers().OptionalHeader.DllCharacteristics;
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE);
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_NX_COMPAT);
    // Without relocations the loader cannot move the image, whatever the
    // flag says.
    EXPECT_GT(image.directory(IMAGE_DIRECTORY_ENTRY_BASERELOC).Size, 0u);
}

TEST_F(ZorikApiImage, ExportsExactlyTheThreeFunctionsUndecoratedAtTheirOrdinals)
{
    ASSERT_NE(nullptr, module);
    const auto* exports = image.exportDirectory();
    EXPECT_EQ(1u, exports->Base);
    EXPECT_EQ(3u, exports->NumberOfFunctions);
    const std::map<std::string, DWORD> expected{{"Zorik_Open", 1}, {"Zorik_Read", 2}, {"Zorik_Write", 3}};
    EXPECT_EQ(expected, image.exportedNames());

    for (const auto& [name, ordinal] : expected) {
        FARPROC byName = GetProcAddress(module, name.c_str());
        FARPROC byOrdinal = GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
        EXPECT_NE(nullptr, byName) << name;
        EXPECT_EQ(byName, byOrdinal) << name << " at ordinal " << ordinal;
    }
}

TEST_F(ZorikApiImage, ImportsOnlySystemLibraries)
{
    ASSERT_NE(nullptr, module);
    const std::vector<std::string> libraries = image.importedLibraries();
    EXPECT_FALSE(libraries.empty());
    for (const std::string& library : libraries) {
        // The MinGW runtime must be linked in, never shipped beside the DLL.
        EXPECT_FALSE(zorik::wine::isMingwRuntime(library)) << library;
        EXPECT_TRUE(zorik::wine::inSystemDirectory(library)) << library << " is not a system library";
    }
}

TEST_F(ZorikApiImage, ImportLibraryBindsTheStdcallNamesToTheExports)
{
    ASSERT_NE(nullptr, module);
    // Taking the address of a dllimport function reads the import table
    // slot the loader filled in.
    EXPECT_EQ(reinterpret_cast<void*>(&Zorik_Open), reinterpret_cast<void*>(GetProcAddress(module, "Zorik_Open")));
    EXPECT_EQ(reinterpret_cast<void*>(&Zorik_Read), reinterpret_cast<void*>(GetProcAddress(module, "Zorik_Read")));
    EXPECT_EQ(reinterpret_cast<void*>(&Zorik_Write), reinterpret_cast<void*>(GetProcAddress(module, "Zorik_Write")));
}

TEST_F(ZorikApiImage, EveryExportRemovesItsOwnArguments)
{
    using zorik::wine::zorik_stack_left_by;
    // Out-of-range channels and the 9x family of this prefix keep the
    // calls away from the port and from message boxes.
    ASSERT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS), zorik::wine::platformId()) << "prefix is not 9x";
    EXPECT_EQ(0, zorik_stack_left_by(reinterpret_cast<const void*>(&Zorik_Read), 1, 3, 0));
    EXPECT_EQ(0, zorik_stack_left_by(reinterpret_cast<const void*>(&Zorik_Write), 2, 3, 1));
    EXPECT_EQ(0, zorik_stack_left_by(reinterpret_cast<const void*>(&Zorik_Open), 1, 1, 0));
}

} // namespace
