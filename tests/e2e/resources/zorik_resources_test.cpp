// Reads the resources of the built Zorik.exe back through Windows' own
// resource functions and checks them against what the program must carry:
// the main dialog's template, the icon group and the version record, all
// in Korean.
#include "dialog_template.h"
#include "version_block.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr WORD kKorean = MAKELANGID(LANG_KOREAN, SUBLANG_DEFAULT);
constexpr WORD kDialogId = 102;
constexpr WORD kIconGroupId = 128;
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
constexpr DWORD kNoId = static_cast<DWORD>(-1);

struct Bytes {
    const BYTE* data = nullptr;
    DWORD size = 0;
};

class ZorikResources : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char path[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string dir = path;
        dir.erase(dir.find_last_of("\\/") + 1);
        s_module = ::LoadLibraryExA((dir + "Zorik.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }

    static void TearDownTestSuite()
    {
        if (s_module != nullptr)
            ::FreeLibrary(s_module);
        s_module = nullptr;
    }

    void SetUp() override { ASSERT_NE(s_module, nullptr) << "Zorik.exe beside this test"; }

    // The Korean resource of that type and id; size 0 when there is none.
    static Bytes Korean(LPCSTR type, WORD id)
    {
        HRSRC found = ::FindResourceExA(s_module, type, MAKEINTRESOURCEA(id), kKorean);
        if (found == nullptr)
            return {};
        HGLOBAL loaded = ::LoadResource(s_module, found);
        return {static_cast<const BYTE*>(::LockResource(loaded)), ::SizeofResource(s_module, found)};
    }

    static HMODULE s_module;
};

HMODULE ZorikResources::s_module = nullptr;

// --- every resource -----------------------------------------------------

struct ResourceEntry {
    ULONG_PTR type;
    ULONG_PTR name;
    WORD language;
    bool operator<(const ResourceEntry& o) const
    {
        return std::tie(type, name, language) < std::tie(o.type, o.name, o.language);
    }
};

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR type, LPCSTR name, WORD language, LONG_PTR param)
{
    // Named (non-numeric) types or names are recorded as 0: Zorik has none.
    auto* entries = reinterpret_cast<std::vector<ResourceEntry>*>(param);
    entries->push_back({IS_INTRESOURCE(type) ? reinterpret_cast<ULONG_PTR>(type) : 0,
                        IS_INTRESOURCE(name) ? reinterpret_cast<ULONG_PTR>(name) : 0, language});
    return TRUE;
}

BOOL CALLBACK CollectName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR param)
{
    ::EnumResourceLanguagesA(module, type, name, &CollectLanguage, param);
    return TRUE;
}

BOOL CALLBACK CollectType(HMODULE module, LPSTR type, LONG_PTR param)
{
    ::EnumResourceNamesA(module, type, &CollectName, param);
    return TRUE;
}

TEST_F(ZorikResources, HoldsTheDialogIconsAndVersionRecordAllInKorean)
{
    std::vector<ResourceEntry> entries;
    ::EnumResourceTypesA(s_module, &CollectType, reinterpret_cast<LONG_PTR>(&entries));

    std::set<ResourceEntry> found(entries.begin(), entries.end());
    auto rt = [](LPSTR type) { return reinterpret_cast<ULONG_PTR>(type); };
    EXPECT_TRUE(found.count({rt(RT_DIALOG), kDialogId, kKorean}));
    EXPECT_TRUE(found.count({rt(RT_GROUP_ICON), kIconGroupId, kKorean}));
    EXPECT_TRUE(found.count({rt(RT_VERSION), 1, kKorean}));
    for (const ResourceEntry& e : entries)
        EXPECT_EQ(e.language, kKorean) << "resource type " << e.type << " id " << e.name;
    // The two icon images and the three resources above.
    EXPECT_EQ(entries.size(), 5u);
}

// --- the main dialog's template -------------------------------------------

class MainDialogTemplate : public ZorikResources {
protected:
    void SetUp() override
    {
        ZorikResources::SetUp();
        Bytes raw = Korean(RT_DIALOG, kDialogId);
        ASSERT_NE(raw.size, 0u) << "no Korean dialog 102";
        std::optional<DialogTemplate> parsed = ParseDialogTemplateEx(raw.data, raw.size);
        ASSERT_TRUE(parsed) << "dialog 102 is not a whole extended template";
        dlg = *parsed;
    }

    DialogTemplate dlg;
};

TEST_F(MainDialogTemplate, Header)
{
    EXPECT_EQ(dlg.style, static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU
                                            | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(dlg.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
    EXPECT_EQ(dlg.helpId, 0u);
    EXPECT_EQ(std::make_tuple(dlg.x, dlg.y, dlg.cx, dlg.cy), std::make_tuple(0, 0, 270, 305));
    EXPECT_FALSE(dlg.menu.ordinal);
    EXPECT_EQ(dlg.menu.name, L"");
    EXPECT_FALSE(dlg.windowClass.ordinal);
    EXPECT_EQ(dlg.windowClass.name, L"");
    EXPECT_EQ(dlg.title, L"Zorik");
    EXPECT_EQ(dlg.pointSize, 9);
    EXPECT_EQ(dlg.italic, 0);
    EXPECT_EQ(dlg.typeface, L"굴림");
}

struct ExpectedControl {
    DWORD id;
    WORD windowClass;
    const wchar_t* text;
    DWORD style;
    short x, y, cx, cy;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kIndicator = kChild | BS_CHECKBOX | BS_PUSHLIKE | BS_FLAT | BS_LEFTTEXT;
constexpr DWORD kSwitch = kChild | BS_AUTOCHECKBOX | BS_PUSHLIKE | WS_TABSTOP;
constexpr DWORD kGroup = kChild | BS_GROUPBOX;

const ExpectedControl kControls[] = {
    {IDOK, kButtonClass, L"종 료", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 188, 234, 75, 24},
    {1000, kButtonClass, L"Input 0", kIndicator, 17, 23, 33, 34},
    {1001, kButtonClass, L"Input 1", kIndicator, 53, 23, 33, 34},
    {1002, kButtonClass, L"Input 2", kIndicator, 89, 23, 33, 34},
    {1008, kButtonClass, L"Output 0", kSwitch, 148, 23, 33, 34},
    {1009, kButtonClass, L"Output 1", kSwitch, 184, 23, 33, 34},
    {1010, kButtonClass, L"Output 2", kSwitch, 220, 23, 33, 34},
    {kNoId, kButtonClass, L"입력", kGroup, 7, 7, 125, 60},
    {kNoId, kButtonClass, L"출력", kGroup, 138, 7, 125, 60},
    {1017, kButtonClass, L"Test  시작 ?", kChild | BS_PUSHBUTTON | WS_TABSTOP, 7, 234, 75, 24},
    {1018, kEditClass, L"",
     kChild | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP,
     14, 87, 241, 130},
    {kNoId, kButtonClass, L"입출력 에러 체크", kGroup, 7, 72, 256, 153},
    // The summary line, below the twelve, which keep their places.
    {1019, kStaticClass, L"", kChild | SS_CENTER | SS_NOPREFIX | SS_CENTERIMAGE, 7, 264, 256, 20},
    // The diagnosis's words under it.
    {1020, kStaticClass, L"", kChild | SS_CENTER | SS_NOPREFIX | SS_CENTERIMAGE, 7, 286, 256, 14},
};

TEST_F(MainDialogTemplate, TwelveControlsInTabOrderThenTheSummaryLine)
{
    ASSERT_EQ(dlg.items.size(), std::size(kControls));
    for (std::size_t i = 0; i < dlg.items.size(); ++i) {
        const DialogItem& item = dlg.items[i];
        const ExpectedControl& want = kControls[i];
        SCOPED_TRACE("control " + std::to_string(i) + ", id " + std::to_string(want.id));
        EXPECT_EQ(item.id, want.id);
        ASSERT_TRUE(item.windowClass.ordinal);
        EXPECT_EQ(*item.windowClass.ordinal, want.windowClass);
        EXPECT_FALSE(item.title.ordinal);
        EXPECT_EQ(item.title.name, want.text);
        EXPECT_EQ(item.style, want.style) << std::hex << "0x" << item.style << " vs 0x" << want.style;
        EXPECT_EQ(item.exStyle, 0u);
        EXPECT_EQ(item.helpId, 0u);
        EXPECT_EQ(std::make_tuple(item.x, item.y, item.cx, item.cy),
                  std::make_tuple(want.x, want.y, want.cx, want.cy));
        EXPECT_EQ(item.extraCount, 0);
    }
}

// --- the icon group ---------------------------------------------------------

#pragma pack(push, 2)
struct GroupIconHeader {
    WORD reserved;
    WORD type;
    WORD count;
};
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colourCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

TEST_F(ZorikResources, IconGroupHas32And16PixelImagesOf16Colours)
{
    Bytes group = Korean(RT_GROUP_ICON, kIconGroupId);
    ASSERT_GE(group.size, sizeof(GroupIconHeader));
    GroupIconHeader header;
    std::memcpy(&header, group.data, sizeof header);
    EXPECT_EQ(header.type, 1);
    ASSERT_EQ(header.count, 2);
    ASSERT_GE(group.size, sizeof header + header.count * sizeof(GroupIconEntry));

    std::set<int> sizes;
    for (WORD i = 0; i < header.count; ++i) {
        GroupIconEntry entry;
        std::memcpy(&entry, group.data + sizeof header + i * sizeof entry, sizeof entry);
        const int size = entry.width;
        SCOPED_TRACE("image " + std::to_string(size) + "x" + std::to_string(size));
        sizes.insert(size);
        EXPECT_EQ(entry.height, entry.width);
        EXPECT_EQ(entry.colourCount, 16);
        EXPECT_EQ(entry.bitCount, 4);

        Bytes image = Korean(RT_ICON, entry.id);
        ASSERT_EQ(image.size, entry.bytesInRes);
        ASSERT_GE(image.size, sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER bmi;
        std::memcpy(&bmi, image.data, sizeof bmi);
        EXPECT_EQ(bmi.biWidth, size);
        EXPECT_EQ(bmi.biHeight, 2 * size);  // colour image and mask
        EXPECT_EQ(bmi.biBitCount, 4);

        // Windows makes an icon of it, and it is a picture, not a blank:
        // most of its mask is opaque.
        HICON icon = ::CreateIconFromResourceEx(const_cast<BYTE*>(image.data), image.size, TRUE,
                                                0x00030000, size, size, LR_DEFAULTCOLOR);
        EXPECT_NE(icon, nullptr);
        if (icon != nullptr)
            ::DestroyIcon(icon);
        const std::size_t palette = 16 * sizeof(RGBQUAD);
        const std::size_t colourRow = ((size * 4 + 31) / 32) * 4;
        const std::size_t maskRow = ((size + 31) / 32) * 4;
        const BYTE* mask = image.data + bmi.biSize + palette + colourRow * size;
        ASSERT_LE(bmi.biSize + palette + (colourRow + maskRow) * size, image.size);
        int opaque = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                opaque += (mask[y * maskRow + x / 8] & (0x80 >> (x % 8))) == 0;
        EXPECT_GT(opaque, size * size / 3);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 32}));
}

// --- the version record -------------------------------------------------

class VersionRecord : public ZorikResources {
protected:
    void SetUp() override
    {
        ZorikResources::SetUp();
        Bytes raw = Korean(RT_VERSION, 1);
        ASSERT_NE(raw.size, 0u) << "no Korean version record";
        std::optional<VersionBlock> parsed = ParseVersionBlock(raw.data, raw.size);
        ASSERT_TRUE(parsed) << "the version record's blocks do not fit together";
        root = *parsed;
    }

    VersionBlock root;
};

TEST_F(VersionRecord, FixedPartGivesVersion1001OfA32BitApplication)
{
    EXPECT_EQ(root.key, L"VS_VERSION_INFO");
    ASSERT_EQ(root.value.size(), sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO info;
    std::memcpy(&info, root.value.data(), sizeof info);
    EXPECT_EQ(info.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(info.dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(info.dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(info.dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(info.dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(info.dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(info.dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(info.dwFileFlags & info.dwFileFlagsMask, 0u);
}

TEST_F(VersionRecord, StringsOfBlock041204B0)
{
    const VersionBlock* strings = root.child(L"StringFileInfo");
    ASSERT_NE(strings, nullptr);
    ASSERT_EQ(strings->children.size(), 1u);
    const VersionBlock& table = strings->children[0];
    EXPECT_EQ(table.key, L"041204B0");

    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {L"CompanyName", L""},
        {L"FileDescription", L"Zorik MFC 응용 프로그램"},
        {L"FileVersion", L"1, 0, 0, 1"},
        {L"InternalName", L"Zorik"},
        {L"LegalTrademarks", L""},
        {L"OriginalFilename", L"Zorik.EXE"},
        {L"ProductName", L"Zorik 응용 프로그램"},
        {L"ProductVersion", L"1, 0, 0, 1"},
    };
    std::vector<std::pair<std::wstring, std::wstring>> actual;
    for (const VersionBlock& value : table.children) {
        EXPECT_EQ(value.type, 1) << "value of " << std::string(value.key.begin(), value.key.end());
        actual.emplace_back(value.key, value.text());
    }
    EXPECT_EQ(actual, expected);
}

TEST_F(VersionRecord, TranslationIsKoreanUnicode)
{
    const VersionBlock* vars = root.child(L"VarFileInfo");
    ASSERT_NE(vars, nullptr);
    const VersionBlock* translation = vars->child(L"Translation");
    ASSERT_NE(translation, nullptr);
    ASSERT_EQ(translation->value.size(), 4u);
    WORD pair[2];
    std::memcpy(pair, translation->value.data(), sizeof pair);
    EXPECT_EQ(pair[0], 0x0412);
    EXPECT_EQ(pair[1], 0x04B0);
}

} // namespace

namespace {

// The library beside the program has a version record too; in this (the
// simulated) build its description warns that it drives no port.
TEST(ZorikApiVersionRecord, GivesVersion1001AndSaysTheUnitIsSimulated)
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
    std::string dll = path;
    dll.erase(dll.find_last_of("\\/") + 1);
    dll += "ZorikApi.dll";
    HMODULE module = ::LoadLibraryExA(dll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << dll;
    HRSRC found = ::FindResourceExA(module, RT_VERSION, MAKEINTRESOURCEA(1),
                                    MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_NE(found, nullptr) << "no version record in " << dll;
    std::optional<VersionBlock> root = ParseVersionBlock(::LockResource(::LoadResource(module, found)),
                                                         ::SizeofResource(module, found));
    ::FreeLibrary(module);
    ASSERT_TRUE(root);

    VS_FIXEDFILEINFO info;
    ASSERT_EQ(root->value.size(), sizeof info);
    std::memcpy(&info, root->value.data(), sizeof info);
    EXPECT_EQ(info.dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(info.dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(info.dwFileType, static_cast<DWORD>(VFT_DLL));
    const VersionBlock* strings = root->child(L"StringFileInfo");
    ASSERT_TRUE(strings && !strings->children.empty());
    const VersionBlock* description = strings->children[0].child(L"FileDescription");
    ASSERT_TRUE(description);
    EXPECT_NE(description->text().find(L"SIMULATED"), std::wstring::npos) << "FileDescription";
}

} // namespace
