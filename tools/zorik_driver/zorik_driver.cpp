// Drives a running Zorik from outside, for runs without an operator (no
// display, scripted demonstrations):
//
//   zorik_driver test SECONDS   presses Test, waits SECONDS, presses Test
//                               again and waits until the test has stopped
//   zorik_driver exit-save      presses the exit button, answers yes to the
//                               save question and waits until Zorik is gone
//   zorik_driver place          prints where the dialog is on the screen, as
//                               WIDTHxHEIGHT+X+Y (to crop a screenshot to it)
//   zorik_driver scan SERIAL    station mode: types SERIAL and Enter into the
//                               serial field, as a barcode reader does, and
//                               waits until that unit's test has ended
//
// Every wait has a time limit; the exit code is 0 on success, 1 on a bad
// command line, 2 when something did not appear or happen in time.
#include "message_box_finder.h"
#include "resource.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using namespace zorik::tools;

constexpr DWORD kPollMs = 50;

// Zorik's windows are dialogs captioned "Zorik"; the main dialog has the
// Test button.
bool isZorikDialog(HWND hwnd)
{
    char caption[16] = {};
    ::GetWindowTextA(hwnd, caption, sizeof caption);
    return className(hwnd) == "#32770" && std::strcmp(caption, "Zorik") == 0;
}

bool isMainDialog(HWND hwnd)
{
    return isZorikDialog(hwnd) && ::GetDlgItem(hwnd, IDC_TEST) != nullptr;
}

BOOL CALLBACK HasZorikWindow(HWND hwnd, LPARAM lParam)
{
    if (isZorikDialog(hwnd)) {
        *reinterpret_cast<bool*>(lParam) = true;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK JoinDesktopIfZorik(LPSTR name, LPARAM lParam)
{
    HDESK desktop = ::OpenDesktopA(name, 0, FALSE, GENERIC_ALL);
    if (desktop == nullptr)
        return TRUE;
    bool found = false;
    ::EnumDesktopWindows(desktop, &HasZorikWindow, reinterpret_cast<LPARAM>(&found));
    if (found && ::SetThreadDesktop(desktop)) {
        *reinterpret_cast<bool*>(lParam) = true;
        return FALSE;
    }
    ::CloseDesktop(desktop);
    return TRUE;
}

// Zorik may run on a desktop of its own (Wine's virtual desktop); windows
// of another desktop never count as visible, so this thread moves to
// Zorik's desktop first.
bool JoinZorikDesktop()
{
    bool joined = false;
    ::EnumDesktopsA(::GetProcessWindowStation(), &JoinDesktopIfZorik, reinterpret_cast<LPARAM>(&joined));
    return joined;
}

// Sleeps while answering messages other threads send to this one: when
// Zorik's window changes focus, Windows may send to every thread that has
// a message queue, and this one has since its first window call; leaving
// those unanswered would hold Zorik up.
void SleepAnswering(DWORD ms)
{
    const DWORD start = ::GetTickCount();
    for (DWORD elapsed = 0; elapsed < ms; elapsed = ::GetTickCount() - start) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_SENDMESSAGE);
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        SleepAnswering(kPollMs);
    }
    return true;
}

int Fail(const char* what)
{
    std::fprintf(stderr, "zorik_driver: %s\n", what);
    return 2;
}

// A box with just an OK button that appears while Zorik starts (the port
// could not be opened) would hold up the start: it is read out and
// acknowledged.
void AcknowledgeStartBox()
{
    HWND box = findMessageBox(0);
    if (box == nullptr || !hasButton(box, IDOK) || hasButton(box, IDYES))
        return;
    std::printf("zorik_driver: acknowledged a box: %s\n", readMessageBox(box).text.c_str());
    std::fflush(stdout);
    pressButton(box, IDOK);
}

HWND WaitForMainDialog()
{
    HWND dialog = nullptr;
    bool joined = false;
    WaitFor([&] {
        joined = joined || JoinZorikDesktop();
        if (!joined)
            return false;
        dialog = findVisibleWindow(0, isMainDialog);
        if (dialog == nullptr)
            AcknowledgeStartBox();
        return dialog != nullptr;
    }, 60000);
    return dialog;
}

int RunTest(DWORD seconds)
{
    HWND dialog = WaitForMainDialog();
    if (dialog == nullptr)
        return Fail("the Zorik dialog did not appear within 60 s");
    HWND test = ::GetDlgItem(dialog, IDC_TEST);
    const std::string idleCaption = boundedWindowText(test);

    pressButton(dialog, IDC_TEST);
    if (!WaitFor([&] { return boundedWindowText(test) != idleCaption; }, 5000))
        return Fail("the test did not start within 5 s");
    std::printf("zorik_driver: test started\n");
    SleepAnswering(seconds * 1000);

    pressButton(dialog, IDC_TEST);
    if (!WaitFor([&] { return boundedWindowText(test) == idleCaption; }, 10000))
        return Fail("the test did not stop within 10 s");
    std::printf("zorik_driver: test stopped after about %lu s\n", static_cast<unsigned long>(seconds));
    return 0;
}

int ExitSaving()
{
    HWND dialog = WaitForMainDialog();
    if (dialog == nullptr)
        return Fail("the Zorik dialog did not appear within 60 s");

    pressButton(dialog, IDOK);
    DWORD zorik = 0;
    ::GetWindowThreadProcessId(dialog, &zorik);
    HWND question = nullptr;
    if (!WaitFor([&] { return (question = findMessageBox(zorik)) != nullptr; }, 10000))
        return Fail("the save question did not appear within 10 s");
    if (!hasButton(question, IDYES))
        return Fail("the box that appeared has no yes button");
    pressButton(question, IDYES);

    if (!WaitFor([&] { return !::IsWindow(dialog); }, 15000))
        return Fail("Zorik did not close within 15 s");
    std::printf("zorik_driver: saved and closed\n");
    return 0;
}

int Scan(const char* serial)
{
    HWND dialog = WaitForMainDialog();
    if (dialog == nullptr)
        return Fail("the Zorik dialog did not appear within 60 s");
    HWND field = ::GetDlgItem(dialog, IDC_SERIAL);
    if (field == nullptr)
        return Fail("the dialog has no serial field: is Zorik in station mode (/station)?");
    HWND test = ::GetDlgItem(dialog, IDC_TEST);
    const std::string idleCaption = boundedWindowText(test);
    for (const char* c = serial; *c != '\0'; ++c)
        ::PostMessageA(field, WM_CHAR, static_cast<unsigned char>(*c), 1);
    const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyA(VK_RETURN, 0)) << 16;
    ::PostMessageA(field, WM_KEYDOWN, VK_RETURN, scan | 1);
    ::PostMessageA(field, WM_KEYUP, VK_RETURN, scan | 1 | (1u << 30) | (1u << 31));
    if (!WaitFor([&] { return boundedWindowText(test) != idleCaption; }, 5000))
        return Fail("no unit started within 5 s (the banner says why)");
    std::printf("zorik_driver: unit %s started\n", serial);
    if (!WaitFor([&] { return boundedWindowText(test) == idleCaption; }, 600000))
        return Fail("the unit's test did not end within 10 minutes");
    // Its row and banner come on the next summary tick.
    SleepAnswering(1000);
    std::printf("zorik_driver: unit %s ended\n", serial);
    return 0;
}

int PrintPlace()
{
    HWND dialog = WaitForMainDialog();
    if (dialog == nullptr)
        return Fail("the Zorik dialog did not appear within 60 s");
    RECT place;
    ::GetWindowRect(dialog, &place);
    std::printf("%ldx%ld+%ld+%ld\n", place.right - place.left, place.bottom - place.top, place.left,
                place.top);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "test") == 0) {
        char* end = nullptr;
        const unsigned long seconds = std::strtoul(argv[2], &end, 10);
        if (argv[2][0] < '0' || argv[2][0] > '9' || *end != '\0' || seconds < 1 || seconds > 3600) {
            std::fprintf(stderr, "zorik_driver: SECONDS is \"%s\"; expected a whole number from 1 to 3600\n",
                         argv[2]);
            return 1;
        }
        return RunTest(static_cast<DWORD>(seconds));
    }
    if (argc == 2 && std::strcmp(argv[1], "exit-save") == 0)
        return ExitSaving();
    if (argc == 2 && std::strcmp(argv[1], "place") == 0)
        return PrintPlace();
    if (argc == 3 && std::strcmp(argv[1], "scan") == 0)
        return Scan(argv[2]);
    std::fprintf(stderr,
                 "usage: zorik_driver test SECONDS | zorik_driver exit-save | zorik_driver place | zorik_driver scan SERIAL\n");
    return 1;
}
