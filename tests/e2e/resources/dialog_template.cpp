#include "dialog_template.h"

#include <cstring>

namespace {

// Reads little-endian fields in order, remembering when it ran past the end.
class Reader {
public:
    Reader(const void* data, std::size_t size) : m_base(static_cast<const BYTE*>(data)), m_size(size) {}

    bool ok() const { return m_ok; }

    template <typename T>
    T read()
    {
        T value{};
        if (m_offset + sizeof(T) > m_size) {
            m_ok = false;
            return value;
        }
        std::memcpy(&value, m_base + m_offset, sizeof(T));
        m_offset += sizeof(T);
        return value;
    }

    std::wstring readString()
    {
        std::wstring text;
        for (WCHAR c = read<WCHAR>(); m_ok && c != 0; c = read<WCHAR>())
            text.push_back(c);
        return text;
    }

    NameOrOrdinal readNameOrOrdinal()
    {
        NameOrOrdinal field;
        WCHAR first = read<WCHAR>();
        if (first == 0xFFFF) {
            field.ordinal = read<WORD>();
        } else if (first != 0) {
            field.name.push_back(first);
            field.name += readString();
        }
        return field;
    }

    // Items start on a DWORD boundary of the template.
    void alignToDword() { m_offset = (m_offset + 3) & ~std::size_t{3}; }

    void skip(std::size_t count)
    {
        if (m_offset + count > m_size)
            m_ok = false;
        else
            m_offset += count;
    }

private:
    const BYTE* m_base;
    std::size_t m_size;
    std::size_t m_offset = 0;
    bool m_ok = true;
};

} // namespace

std::optional<DialogTemplate> ParseDialogTemplateEx(const void* data, std::size_t size)
{
    Reader in(data, size);
    DialogTemplate dlg{};
    dlg.version = in.read<WORD>();
    dlg.signature = in.read<WORD>();
    if (!in.ok() || dlg.version != 1 || dlg.signature != 0xFFFF)
        return std::nullopt;
    dlg.helpId = in.read<DWORD>();
    dlg.exStyle = in.read<DWORD>();
    dlg.style = in.read<DWORD>();
    const WORD itemCount = in.read<WORD>();
    dlg.x = in.read<short>();
    dlg.y = in.read<short>();
    dlg.cx = in.read<short>();
    dlg.cy = in.read<short>();
    dlg.menu = in.readNameOrOrdinal();
    dlg.windowClass = in.readNameOrOrdinal();
    dlg.title = in.readString();
    if (dlg.style & (DS_SETFONT | DS_SHELLFONT)) {
        dlg.pointSize = in.read<WORD>();
        dlg.weight = in.read<WORD>();
        dlg.italic = in.read<BYTE>();
        dlg.charset = in.read<BYTE>();
        dlg.typeface = in.readString();
    }
    for (WORD i = 0; i < itemCount && in.ok(); ++i) {
        in.alignToDword();
        DialogItem item{};
        item.helpId = in.read<DWORD>();
        item.exStyle = in.read<DWORD>();
        item.style = in.read<DWORD>();
        item.x = in.read<short>();
        item.y = in.read<short>();
        item.cx = in.read<short>();
        item.cy = in.read<short>();
        item.id = in.read<DWORD>();
        item.windowClass = in.readNameOrOrdinal();
        item.title = in.readNameOrOrdinal();
        item.extraCount = in.read<WORD>();
        in.skip(item.extraCount);
        dlg.items.push_back(item);
    }
    if (!in.ok())
        return std::nullopt;
    return dlg;
}
