// The hardware build where the system refuses port access (NT without a
// port grant; Wine always refuses): the library must skip its own refused
// accesses and leave every other privileged-instruction fault to the
// program.
#include "support/own_port_instructions.h"

#include <ZorikApi.h>

#include <gtest/gtest.h>
#include <windows.h>

namespace {

using zorik::wine::OWN_HANDLER_READ_VALUE;
using zorik::wine::OwnFaultHandler;

constexpr std::uint16_t STATUS_PORT = 0x379;
constexpr std::uint16_t DATA_PORT = 0x378;

TEST(RefusedPortAccess, ReadsSeeNoInputAndWritesAreDroppedCallAfterCall)
{
    for (int round = 0; round < 50; ++round) {
        for (int channel = 0; channel < 3; ++channel) {
            Zorik_Write(channel, round % 2);
            EXPECT_EQ(0, Zorik_Read(channel)) << "round " << round << ", channel " << channel;
        }
    }
}

DWORD WINAPI readAndWrite(void* reads)
{
    for (int i = 0; i < 200; ++i) {
        Zorik_Write(i % 3, 1);
        *static_cast<int*>(reads) += Zorik_Read(i % 3);
    }
    return 0;
}

TEST(RefusedPortAccess, IsSkippedOnEveryThread)
{
    int readsOn[2] = {0, 0};
    HANDLE threads[2];
    for (int i = 0; i < 2; ++i) {
        threads[i] = CreateThread(nullptr, 0, readAndWrite, &readsOn[i], 0, nullptr);
        ASSERT_NE(nullptr, threads[i]);
    }
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, threads, TRUE, 30000));
    for (HANDLE thread : threads)
        CloseHandle(thread);
    EXPECT_EQ(0, readsOn[0]);
    EXPECT_EQ(0, readsOn[1]);
}

TEST(RefusedPortAccess, TheProgramsOwnPortInstructionsReachTheProgramsHandler)
{
    // The library has had a refused instruction of its own caught first.
    EXPECT_EQ(0, Zorik_Read(0));
    OwnFaultHandler own;

    EXPECT_EQ(OWN_HANDLER_READ_VALUE, zorik_test_port_in(STATUS_PORT));
    zorik_test_port_out(DATA_PORT, 0x55);
    EXPECT_EQ(2, own.faultsSeen());

    // ...while the library still answers its own faults itself.
    EXPECT_EQ(0, Zorik_Read(1));
    Zorik_Write(1, 1);
    EXPECT_EQ(2, own.faultsSeen());
}

} // namespace
