#include "message_box_finder.h"

namespace zorik::tools {
namespace {

constexpr UINT kReplyTimeoutMs = 2000;
constexpr DWORD kPollMs = 20;

struct WindowSearch {
    DWORD processId;
    bool (*accept)(HWND);
    HWND found;
};

BOOL CALLBACK acceptWindow(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if ((search->processId != 0 && owner != search->processId) || !IsWindowVisible(window)
        || !search->accept(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

std::string className(HWND window)
{
    char name[256];
    const int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? static_cast<size_t>(length) : 0);
}

std::string boundedWindowText(HWND window)
{
    char text[2048] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, kReplyTimeoutMs, &copied))
        return std::string();
    return std::string(text, copied < sizeof text ? copied : sizeof text - 1);
}

HWND findVisibleWindow(DWORD processId, bool (*accept)(HWND window))
{
    WindowSearch search{processId, accept, nullptr};
    EnumWindows(acceptWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool isMessageBox(HWND window)
{
    if (className(window) != "#32770")
        return false;
    HWND text = GetDlgItem(window, kMessageTextId);
    return text != nullptr && className(text) == "Static";
}

HWND findMessageBox(DWORD processId)
{
    return findVisibleWindow(processId, isMessageBox);
}

HWND waitForMessageBox(DWORD processId, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND box = findMessageBox(processId))
            return box;
        if (GetTickCount() - start >= timeoutMs)
            return nullptr;
        Sleep(kPollMs);
    }
}

MessageBoxContent readMessageBox(HWND box)
{
    return {boundedWindowText(box), boundedWindowText(GetDlgItem(box, kMessageTextId))};
}

bool hasButton(HWND box, int id)
{
    HWND button = GetDlgItem(box, id);
    return button && IsWindowVisible(button) && className(button) == "Button";
}

void pressButton(HWND box, int id)
{
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

bool answerMessageBox(HWND box, int id, DWORD timeoutMs)
{
    pressButton(box, id);
    const DWORD start = GetTickCount();
    while (IsWindow(box) && IsWindowVisible(box)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(kPollMs);
    }
    return true;
}

} // namespace zorik::tools
