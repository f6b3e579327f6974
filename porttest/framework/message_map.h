// Table-driven message maps: each class lists the messages it handles and
// the member that handles each; a message not in a class's table is looked
// up in its base class's table, and one found nowhere gets the system's
// default handling.
#pragma once

#include <windows.h>

#include <cstddef>

// Texts are code page 949 bytes throughout: every call goes to the ANSI
// ("A") interfaces, which the wide-character build would silently replace.
#ifdef UNICODE
#error "the framework uses the ANSI Windows interfaces; do not define UNICODE"
#endif

class CCmdTarget;

// Runs one handler; returns what the window procedure should answer.
using MessageHandler = LRESULT (*)(CCmdTarget& target, WPARAM wParam, LPARAM lParam);

struct MessageMapEntry {
    UINT message;
    UINT code;  // WM_COMMAND only: notification code (BN_CLICKED, or 0 for a command)
    UINT id;    // WM_COMMAND only: control or command id
    MessageHandler handler;
};

struct MessageMap {
    const MessageMap* base;
    const MessageMapEntry* entries;
    std::size_t count;
};

// Finds the entry for a message in a map and its bases, or nullptr.
const MessageMapEntry* FindMessageEntry(const MessageMap* map, UINT message, WPARAM wParam);

// Inside a class: declares its map.
#define DECLARE_MESSAGE_MAP()                                  \
public:                                                        \
    static const MessageMap* GetThisMessageMap();              \
    const MessageMap* GetMessageMap() const override;

// In the class's source file: BEGIN_MESSAGE_MAP, entries, END_MESSAGE_MAP.
// The handlers are called through the class named here, so they may be
// protected members of it.
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                 \
    const MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const MessageMap* theClass::GetThisMessageMap()                            \
    {                                                                          \
        using ThisClass = theClass;                                            \
        using BaseClass = baseClass;                                           \
        static const MessageMapEntry entries[] = {

#define END_MESSAGE_MAP()                                                      \
        };                                                                     \
        static const MessageMap map{BaseClass::GetThisMessageMap(), entries,   \
                                    sizeof entries / sizeof entries[0]};       \
        return &map;                                                           \
    }

#define ZORIK_MAP_TARGET(t) static_cast<ThisClass&>(t)

// A command (menu, accelerator, F1) or a button click: both arrive as
// WM_COMMAND, and BN_CLICKED is 0 like a command's code.
#define ON_COMMAND(id, memberFn)                                               \
    {WM_COMMAND, 0, (id), [](CCmdTarget& t, WPARAM, LPARAM) -> LRESULT {       \
         ZORIK_MAP_TARGET(t).memberFn();                                       \
         return 0;                                                             \
     }},

#define ON_BN_CLICKED(id, memberFn)                                            \
    {WM_COMMAND, BN_CLICKED, (id), [](CCmdTarget& t, WPARAM, LPARAM) -> LRESULT { \
         ZORIK_MAP_TARGET(t).memberFn();                                       \
         return 0;                                                             \
     }},

#define ON_WM_PAINT()                                                          \
    {WM_PAINT, 0, 0, [](CCmdTarget& t, WPARAM, LPARAM) -> LRESULT {            \
         ZORIK_MAP_TARGET(t).OnPaint();                                        \
         return 0;                                                             \
     }},

#define ON_WM_QUERYDRAGICON()                                                  \
    {WM_QUERYDRAGICON, 0, 0, [](CCmdTarget& t, WPARAM, LPARAM) -> LRESULT {    \
         return reinterpret_cast<LRESULT>(ZORIK_MAP_TARGET(t).OnQueryDragIcon()); \
     }},

#define ON_WM_TIMER()                                                          \
    {WM_TIMER, 0, 0, [](CCmdTarget& t, WPARAM wParam, LPARAM) -> LRESULT {     \
         ZORIK_MAP_TARGET(t).OnTimer(static_cast<UINT_PTR>(wParam));           \
         return 0;                                                             \
     }},

// Any other message, handled by LRESULT memberFn(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFn)                                          \
    {(message), 0, 0, [](CCmdTarget& t, WPARAM wParam, LPARAM lParam) -> LRESULT { \
         return ZORIK_MAP_TARGET(t).memberFn(wParam, lParam);                  \
     }},
