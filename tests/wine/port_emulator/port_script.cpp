// Drives ZorikApi.dll through one scripted scenario while the port
// emulator watches. Before each library call it names the step in a debug
// string, so the emulator can tell which call made which port access; the
// calls' results go to standard output, one line each.
//
//   port_script open-then-writes MODE | mode-sticks | reads | open-then-reads
//             | ignored-channels | concurrent-writers COUNT | first-calls | test-cycle
#include "../support/message_box_watch.h"
#include "script_protocol.h"

#include <ZorikApi.h>

#include <windows.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using namespace zorik::wine;

constexpr unsigned OPEN_TIMEOUT_MS = 20000;

void marker(const std::string& command)
{
    OutputDebugStringA((MARKER_PREFIX + command).c_str());
}

void step(const char* format, int first, int second = 0)
{
    char name[64];
    std::snprintf(name, sizeof name, format, first, second);
    marker(STEP_COMMAND + std::string(name));
}

void write(int channel, int state)
{
    step("Zorik_Write(%d,%d)", channel, state);
    Zorik_Write(channel, state);
}

int read(int channel)
{
    step("Zorik_Read(%d)", channel);
    return Zorik_Read(channel);
}

// A box the library puts up is answered here and reported on stdout.
void open(int mode)
{
    step("Zorik_Open(%d)", mode);
    const WatchedCall call = callDismissingBoxes(Zorik_Open, mode, OPEN_TIMEOUT_MS);
    for (const SeenBox& box : call.boxes)
        std::printf("box %s: %s\n", box.caption.c_str(), box.text.c_str());
    if (call.returned)
        std::printf("Zorik_Open(%d)=%d\n", mode, call.result);
    else
        std::printf("Zorik_Open(%d) did not return\n", mode);
}

void writeSequence()
{
    write(0, 0);
    write(2, 1);
    write(1, 0);
    write(1, 1);
    write(1, 2);
    write(3, 1);
}

void reads()
{
    for (unsigned status : {0x00u, 0x20u, 0x78u}) {
        char command[16];
        std::snprintf(command, sizeof command, "%s%02X", STATUS_COMMAND, status);
        marker(command);
        std::printf("status %02X:", status);
        for (int channel : {0, 1, 2, 3, -1, INT_MIN})
            std::printf(" %d", read(channel));
        std::printf("\n");
    }
}

void ignoredChannels()
{
    write(3, 1);
    write(7, 0);
    write(INT_MAX, 1);
    write(-1, 1);
    write(-1, 0);
    write(INT_MIN, 1);
    const int three = read(3);
    const int minusOne = read(-1);
    const int lowest = read(INT_MIN);
    std::printf("reads %d %d %d\n", three, minusOne, lowest);
    // Shows the latch as the ignored calls left it.
    write(0, 0);
}

// A write and a read before Zorik_Open, then the open, a write and a read
// after it, with every input on: a read that reaches the port returns 1.
void firstCalls()
{
    marker(STATUS_COMMAND + std::string("00"));
    write(0, 0);
    std::printf("Zorik_Read(1)=%d\n", read(1));
    open(1);
    write(1, 0);
    std::printf("Zorik_Read(2)=%d\n", read(2));
}

// One cycle of the loopback test with pattern 0b101, as Zorik's worker
// runs it: per channel the output's write, then its input's read; input 1
// is the only one low.
void testCycle()
{
    marker(STATUS_COMMAND + std::string("50"));
    open(1);
    std::printf("cycle:");
    for (int channel = 0; channel < 3; ++channel) {
        write(channel, channel == 1 ? 0 : 1);
        std::printf(" %d", read(channel));
    }
    std::printf("\n");
}

struct Writer {
    int channel;
    int count;
    int lastState; // what the channel is left at
    HANDLE start;  // both writers begin together
};

DWORD WINAPI toggle(void* parameter)
{
    const Writer& writer = *static_cast<Writer*>(parameter);
    WaitForSingleObject(writer.start, 10000);
    for (int i = writer.count - 1; i >= 0; --i)
        Zorik_Write(writer.channel, (i % 2 == 0) ? writer.lastState : 1 - writer.lastState);
    return 0;
}

// Channel 0 ends on, channel 1 ends off, channel 2 stays as loading left it (on).
bool concurrentWriters(int count)
{
    HANDLE start = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Writer writers[2] = {{0, count, 1, start}, {1, count, 0, start}};
    step("two writers", 0);
    HANDLE threads[2];
    for (int i = 0; i < 2; ++i)
        threads[i] = CreateThread(nullptr, 0, toggle, &writers[i], 0, nullptr);
    SetEvent(start);
    const bool joined = WaitForMultipleObjects(2, threads, TRUE, 60000) == WAIT_OBJECT_0;
    for (HANDLE thread : threads)
        CloseHandle(thread);
    CloseHandle(start);
    if (!joined) {
        std::printf("writers did not finish\n");
        return false;
    }
    // Shows the latch the writers left behind.
    write(2, 0);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string scenario = argc > 1 ? argv[1] : "";
    const int number = argc > 2 ? std::atoi(argv[2]) : 0;
    if (scenario == "open-then-writes") {
        open(number);
        writeSequence();
    } else if (scenario == "mode-sticks") {
        open(1);
        write(0, 0);
        open(0);
        write(0, 1);
        write(1, 0);
    } else if (scenario == "reads") {
        reads();
    } else if (scenario == "open-then-reads") {
        open(1);
        reads();
    } else if (scenario == "test-cycle") {
        testCycle();
    } else if (scenario == "ignored-channels") {
        ignoredChannels();
    } else if (scenario == "first-calls") {
        firstCalls();
    } else if (scenario == "concurrent-writers") {
        if (!concurrentWriters(number))
            return 2;
    } else {
        std::fprintf(stderr, "unknown scenario '%s'\n", scenario.c_str());
        return 1;
    }
    std::fflush(stdout);
    return 0;
}
