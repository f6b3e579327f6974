#include "cmd_target.h"

const MessageMapEntry* FindMessageEntry(const MessageMap* map, UINT message, WPARAM wParam)
{
    for (; map != nullptr; map = map->base) {
        for (std::size_t i = 0; i < map->count; ++i) {
            const MessageMapEntry& entry = map->entries[i];
            if (entry.message != message)
                continue;
            if (message == WM_COMMAND
                && (entry.code != HIWORD(wParam) || entry.id != LOWORD(wParam)))
                continue;
            return &entry;
        }
    }
    return nullptr;
}

const MessageMap* CCmdTarget::GetThisMessageMap()
{
    static const MessageMap map{nullptr, nullptr, 0};
    return &map;
}

const MessageMap* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

bool CCmdTarget::RouteMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    const MessageMapEntry* entry = FindMessageEntry(GetMessageMap(), message, wParam);
    if (entry == nullptr)
        return false;
    result = entry->handler(*this, wParam, lParam);
    return true;
}
