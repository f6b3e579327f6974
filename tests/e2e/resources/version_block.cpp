#include "version_block.h"

#include <cstring>

namespace {

std::size_t AlignToDword(std::size_t offset)
{
    return (offset + 3) & ~std::size_t{3};
}

WORD WordAt(const BYTE* p)
{
    WORD value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

// Blocks start on DWORD boundaries of the resource, so offsets inside a
// block align the same way as offsets from its start.
std::optional<VersionBlock> Parse(const BYTE* p, std::size_t available)
{
    if (available < 6)
        return std::nullopt;
    const std::size_t length = WordAt(p);
    const WORD valueLength = WordAt(p + 2);
    if (length < 6 || length > available)
        return std::nullopt;

    VersionBlock block;
    block.type = WordAt(p + 4);
    std::size_t offset = 6;
    for (;;) {
        if (offset + 2 > length)
            return std::nullopt;
        WCHAR c = WordAt(p + offset);
        offset += 2;
        if (c == 0)
            break;
        block.key.push_back(c);
    }
    offset = AlignToDword(offset);

    const std::size_t valueBytes = block.type == 1 ? valueLength * std::size_t{2} : valueLength;
    if (offset + valueBytes > length)
        return std::nullopt;
    block.value.assign(p + offset, p + offset + valueBytes);
    offset = AlignToDword(offset + valueBytes);

    while (offset < length) {
        std::optional<VersionBlock> child = Parse(p + offset, length - offset);
        if (!child)
            return std::nullopt;
        offset = AlignToDword(offset + WordAt(p + offset));
        block.children.push_back(std::move(*child));
    }
    return block;
}

} // namespace

std::wstring VersionBlock::text() const
{
    std::wstring result;
    for (std::size_t i = 0; i + 1 < value.size(); i += 2) {
        WCHAR c = static_cast<WCHAR>(value[i] | (value[i + 1] << 8));
        if (c == 0)
            break;
        result.push_back(c);
    }
    return result;
}

const VersionBlock* VersionBlock::child(const std::wstring& name) const
{
    for (const VersionBlock& c : children)
        if (c.key == name)
            return &c;
    return nullptr;
}

std::optional<VersionBlock> ParseVersionBlock(const void* data, std::size_t size)
{
    return Parse(static_cast<const BYTE*>(data), size);
}
