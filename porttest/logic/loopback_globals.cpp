#include "loopback_globals.h"

zorik::RunFlag g_bTestRunning;
zorik::CycleCounter g_nTestCount;
zorik::TestTally g_testTally;
