// Reads the tree of a version resource (VS_VERSIONINFO): every block has a
// key, an optional value and child blocks.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct VersionBlock {
    std::wstring key;
    WORD type;                    // 1: the value is text, 0: binary
    std::vector<BYTE> value;      // raw bytes
    std::vector<VersionBlock> children;

    // A text value up to its terminating NUL.
    std::wstring text() const;
    const VersionBlock* child(const std::wstring& name) const;
};

// nullopt when a block's length runs past its parent or the data.
std::optional<VersionBlock> ParseVersionBlock(const void* data, std::size_t size);
