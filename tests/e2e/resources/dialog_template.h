// Reads an extended dialog template (DLGTEMPLATEEX and its items) out of
// the bytes a resource holds.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A name-or-ordinal field: an ordinal (class 0x0080 "button", a menu id...)
// or a UTF-16 string.
struct NameOrOrdinal {
    std::optional<std::uint16_t> ordinal;
    std::wstring name;
};

struct DialogItem {
    DWORD helpId;
    DWORD exStyle;
    DWORD style;
    short x, y, cx, cy;
    DWORD id;
    NameOrOrdinal windowClass;
    NameOrOrdinal title;
    WORD extraCount;
};

struct DialogTemplate {
    WORD version;
    WORD signature;
    DWORD helpId;
    DWORD exStyle;
    DWORD style;
    short x, y, cx, cy;
    NameOrOrdinal menu;
    NameOrOrdinal windowClass;
    std::wstring title;
    WORD pointSize;
    WORD weight;
    BYTE italic;
    BYTE charset;
    std::wstring typeface;
    std::vector<DialogItem> items;
};

// nullopt when the bytes are not a whole extended template (wrong
// signature, or a field running past the end).
std::optional<DialogTemplate> ParseDialogTemplateEx(const void* data, std::size_t size);
