// Zorik.exe as it lies on disk: the image headers and the import table,
// read from the file itself (the program is never started or mapped), so
// that what is checked is exactly what ships.
#include "support/system_libraries.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstddef>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct ImportedLibrary {
    std::string name;
    std::vector<std::string> functionsByName;
    std::vector<WORD> functionsByOrdinal;
};

// A PE32 file in memory, addressed by RVA through its section table. A
// damaged file throws rather than being read past its end.
class ImageFile {
public:
    explicit ImageFile(const std::string& path)
    {
        std::ifstream file(path, std::ios::binary);
        if (!file)
            throw std::runtime_error("cannot open " + path);
        bytes_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());

        const auto& dos = atOffset<IMAGE_DOS_HEADER>(0);
        if (dos.e_magic != IMAGE_DOS_SIGNATURE)
            throw std::runtime_error(path + " has no MZ header");
        headersOffset_ = static_cast<DWORD>(dos.e_lfanew);
        if (headers().Signature != IMAGE_NT_SIGNATURE)
            throw std::runtime_error(path + " has no PE signature");
        sectionsOffset_ = headersOffset_ + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                          headers().FileHeader.SizeOfOptionalHeader;
    }

    const IMAGE_NT_HEADERS32& headers() const { return atOffset<IMAGE_NT_HEADERS32>(headersOffset_); }

    const IMAGE_DATA_DIRECTORY& directory(int index) const
    {
        return headers().OptionalHeader.DataDirectory[index];
    }

    template <class T>
    const T& at(DWORD rva) const
    {
        return atOffset<T>(fileOffsetOf(rva));
    }

    std::string stringAt(DWORD rva) const
    {
        const DWORD offset = fileOffsetOf(rva);
        const auto end = std::find(bytes_.begin() + offset, bytes_.end(), '\0');
        if (end == bytes_.end())
            throw std::runtime_error("unterminated string at RVA " + std::to_string(rva));
        return std::string(bytes_.begin() + offset, end);
    }

    std::vector<ImportedLibrary> imports() const
    {
        std::vector<ImportedLibrary> libraries;
        DWORD rva = directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress;
        if (rva == 0)
            return libraries;
        for (;; rva += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            const auto& entry = at<IMAGE_IMPORT_DESCRIPTOR>(rva);
            if (entry.Name == 0)
                return libraries;
            ImportedLibrary library{stringAt(entry.Name), {}, {}};
            // The lookup table keeps the names after the loader has
            // overwritten the address table; old linkers leave it out.
            DWORD thunk = entry.OriginalFirstThunk != 0 ? entry.OriginalFirstThunk : entry.FirstThunk;
            for (;; thunk += sizeof(IMAGE_THUNK_DATA32)) {
                const DWORD value = at<IMAGE_THUNK_DATA32>(thunk).u1.AddressOfData;
                if (value == 0)
                    break;
                if (IMAGE_SNAP_BY_ORDINAL32(value))
                    library.functionsByOrdinal.push_back(static_cast<WORD>(IMAGE_ORDINAL32(value)));
                else
                    library.functionsByName.push_back(stringAt(value + offsetof(IMAGE_IMPORT_BY_NAME, Name)));
            }
            libraries.push_back(std::move(library));
        }
    }

private:
    DWORD fileOffsetOf(DWORD rva) const
    {
        if (rva < headers().OptionalHeader.SizeOfHeaders)
            return rva;
        for (WORD i = 0; i < headers().FileHeader.NumberOfSections; ++i) {
            const auto& section = atOffset<IMAGE_SECTION_HEADER>(sectionsOffset_ + i * sizeof(IMAGE_SECTION_HEADER));
            if (rva >= section.VirtualAddress && rva - section.VirtualAddress < section.SizeOfRawData)
                return section.PointerToRawData + (rva - section.VirtualAddress);
        }
        throw std::runtime_error("RVA " + std::to_string(rva) + " lies in no section's file data");
    }

    template <class T>
    const T& atOffset(DWORD offset) const
    {
        if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T))
            throw std::runtime_error("offset " + std::to_string(offset) + " runs past the end of the file");
        return *reinterpret_cast<const T*>(bytes_.data() + offset);
    }

    std::vector<char> bytes_;
    DWORD headersOffset_ = 0;
    DWORD sectionsOffset_ = 0;
};

std::string besideThisProgram(const std::string& name)
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path, length);
    return directory.substr(0, directory.find_last_of("\\/") + 1) + name;
}

bool isZorikApi(const std::string& library)
{
    return _stricmp(library.c_str(), "ZorikApi.dll") == 0;
}

class ZorikExeImage : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_THROW(image.emplace(besideThisProgram("Zorik.exe"))); }

    std::optional<ImageFile> image;
};

TEST_F(ZorikExeImage, IsAPe32GuiProgramForI386)
{
    const auto& headers = image->headers();
    EXPECT_EQ(IMAGE_NT_OPTIONAL_HDR32_MAGIC, headers.OptionalHeader.Magic);
    EXPECT_EQ(IMAGE_FILE_MACHINE_I386, headers.FileHeader.Machine);
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, headers.OptionalHeader.Subsystem);
    EXPECT_FALSE(headers.FileHeader.Characteristics & IMAGE_FILE_DLL);
}

TEST_F(ZorikExeImage, OptsInToAslrAndDep)
{
    const auto& headers = image->headers();
    const WORD flags = headers.OptionalHeader.DllCharacteristics;
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE);
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_NX_COMPAT);
    // Older GNU linkers set the ASLR flag on programs yet stripped their
    // relocations, which leaves the loader nothing to move the image with.
    EXPECT_FALSE(headers.FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED);
    const auto& relocations = image->directory(IMAGE_DIRECTORY_ENTRY_BASERELOC);
    ASSERT_GT(relocations.Size, 0u);
    EXPECT_GT(image->at<IMAGE_BASE_RELOCATION>(relocations.VirtualAddress).SizeOfBlock, 0u);
}

TEST_F(ZorikExeImage, ImportsTheThreeFunctionsFromZorikApiByName)
{
    const std::vector<ImportedLibrary> libraries = image->imports();
    const auto count = std::count_if(libraries.begin(), libraries.end(),
                                     [](const ImportedLibrary& library) { return isZorikApi(library.name); });
    ASSERT_EQ(1, count) << "import table entries naming ZorikApi.dll";
    const auto& zorikApi = *std::find_if(libraries.begin(), libraries.end(),
                                         [](const ImportedLibrary& library) { return isZorikApi(library.name); });

    // By name, so that the program does not depend on the library's
    // ordinal numbering.
    std::vector<std::string> names = zorikApi.functionsByName;
    std::sort(names.begin(), names.end());
    const std::vector<std::string> expected{"Zorik_Open", "Zorik_Read", "Zorik_Write"};
    EXPECT_EQ(expected, names);
    EXPECT_TRUE(zorikApi.functionsByOrdinal.empty())
        << zorikApi.functionsByOrdinal.size() << " functions imported by ordinal";
}

TEST_F(ZorikExeImage, ImportsNothingElseButSystemLibraries)
{
    const std::vector<ImportedLibrary> libraries = image->imports();
    EXPECT_GT(libraries.size(), 1u) << "a GUI program imports at least one system library";
    for (const ImportedLibrary& library : libraries) {
        if (isZorikApi(library.name))
            continue;
        // The MinGW runtime must be linked in, never shipped beside the program.
        EXPECT_FALSE(zorik::wine::isMingwRuntime(library.name)) << library.name;
        EXPECT_TRUE(zorik::wine::inSystemDirectory(library.name)) << library.name << " is not a system library";
    }
}

} // namespace

namespace {

// Kernel functions that arrived after Windows XP and that a C++ runtime
// may reach for (time, locks, condition variables, one-time init, fibre
// storage). Wine exports them whatever Windows version it reports, so only
// the import table shows an image that XP's loader would refuse.
const char* const kNewerThanXp[] = {
    "GetTickCount64", "GetSystemTimePreciseAsFileTime", "InitializeConditionVariable",
    "SleepConditionVariableCS", "SleepConditionVariableSRW", "WakeConditionVariable",
    "WakeAllConditionVariable", "InitializeSRWLock", "AcquireSRWLockExclusive",
    "AcquireSRWLockShared", "ReleaseSRWLockExclusive", "ReleaseSRWLockShared",
    "TryAcquireSRWLockExclusive", "TryAcquireSRWLockShared", "InitOnceExecuteOnce",
    "InitOnceBeginInitialize", "InitOnceComplete", "FlsAlloc", "FlsFree", "FlsGetValue",
    "FlsSetValue", "CreateEventExA", "CreateEventExW", "CreateMutexExW", "CreateSemaphoreExW",
    "InitializeCriticalSectionEx", "GetCurrentProcessorNumber", "GetThreadId",
    "SetThreadDescription", "WaitOnAddress", "WakeByAddressSingle", "WakeByAddressAll",
    "GetFileInformationByHandleEx", "SetFileInformationByHandle", "CancelIoEx",
    "GetLocaleInfoEx", "LCMapStringEx", "CompareStringEx", "GetUserDefaultLocaleName",
    "GetErrorMode", "QueryFullProcessImageNameA", "QueryFullProcessImageNameW",
};

class ShippedImage : public ::testing::TestWithParam<const char*> {};

TEST_P(ShippedImage, ImportsNoKernelFunctionNewerThanWindowsXp)
{
    std::optional<ImageFile> image;
    ASSERT_NO_THROW(image.emplace(besideThisProgram(GetParam())));
    for (const ImportedLibrary& library : image->imports()) {
        for (const std::string& function : library.functionsByName)
            for (const char* newer : kNewerThanXp)
                EXPECT_NE(function, newer) << GetParam() << " imports " << library.name << "!" << function;
    }
}

INSTANTIATE_TEST_SUITE_P(Deliverables, ShippedImage, ::testing::Values("Zorik.exe", "ZorikApi.dll"));

// "KERNEL32.DLL!CloseHandle" for every row of the committed list of
// functions that every named Windows exports (docs/windows-imports.md).
std::set<std::string> listedImports()
{
    std::ifstream file(ZORIK_IMPORT_LIST);
    if (!file)
        throw std::runtime_error("cannot open " + std::string(ZORIK_IMPORT_LIST));
    std::set<std::string> listed;
    for (std::string line; std::getline(file, line);) {
        // | LIBRARY | `Function` | 9x release | NT release |
        char library[32] = {}, function[64] = {};
        if (std::sscanf(line.c_str(), "| %31[A-Z0-9] | `%63[A-Za-z0-9_]` |", library, function) == 2)
            listed.insert(std::string(library) + ".DLL!" + function);
    }
    return listed;
}

std::string upperCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

class ImageForEveryWindows : public ::testing::TestWithParam<const char*> {};

TEST_P(ImageForEveryWindows, ImportsOnlyListedFunctionsAndNeedsNoSubsystemAbove4_0)
{
    std::optional<ImageFile> image;
    ASSERT_NO_THROW(image.emplace(besideThisProgram(GetParam())));
    std::set<std::string> listed;
    ASSERT_NO_THROW(listed = listedImports());
    ASSERT_GT(listed.size(), 50u) << "rows read from " << ZORIK_IMPORT_LIST;

    for (const ImportedLibrary& library : image->imports()) {
        if (isZorikApi(library.name))
            continue;
        EXPECT_TRUE(library.functionsByOrdinal.empty()) << GetParam() << " imports from " << library.name
                                                        << " by ordinal";
        for (const std::string& function : library.functionsByName) {
            const std::string entry = upperCase(library.name) + "!" + function;
            EXPECT_TRUE(listed.count(entry)) << GetParam() << " imports " << entry << ", which is not listed";
        }
    }
    const auto& header = image->headers().OptionalHeader;
    EXPECT_LE(header.MajorSubsystemVersion * 100 + header.MinorSubsystemVersion, 400)
        << GetParam() << " needs subsystem " << header.MajorSubsystemVersion << "."
        << header.MinorSubsystemVersion;
}

// The simulated build's library is never shipped, and imports what its
// model of the unit needs.
#ifdef ZORIK_HARDWARE_BUILD
INSTANTIATE_TEST_SUITE_P(Deliverables, ImageForEveryWindows, ::testing::Values("Zorik.exe", "ZorikApi.dll"));
#else
INSTANTIATE_TEST_SUITE_P(Deliverables, ImageForEveryWindows, ::testing::Values("Zorik.exe"));
#endif

} // namespace
