// Compiled with -fexec-charset=CP949: every literal below is stored as code
// page 949 bytes although this file is UTF-8.
#include "program_texts.h"

#include "loopback_waits.h"

#include <cstdio>

namespace zorik {

const char kTestCaptionRunning[] = "Test  종료 ?";
const char kTestCaptionIdle[] = "Test  시작 ?";
const char kLogInitialText[] = "Error Check";
const char kSaveQuestion[] = "종료하시기 전에 데이터를 저장하시겠습니까?";
const char kSaveFailed[] = "Error Info를 저장하는데 실패하였습니다.";
const char kReportFileName[] = "ErrorInfo.txt";

std::string formatLogHeader()
{
    char text[32];
    std::snprintf(text, sizeof text, "  -  %ums\r\n\r\n", SETTLE_DELAY_MS);
    return text;
}

const char* checkStateText(int checked)
{
    return checked ? "ON" : "OFF";
}

std::string formatLogLine(std::uint32_t cycle, const LocalTime& time, int channel,
                          int outputChecked, int inputChecked)
{
    // The longest line (every field at its widest int) stays well inside this.
    char line[160];
    std::snprintf(line, sizeof line,
                  " %016X : %02d시 %02d분 %02d초 - 입력[%d] : 출력[%d] = %s : %s\r\n",
                  static_cast<unsigned>(cycle), time.hour, time.minute, time.second,
                  channel, channel, checkStateText(outputChecked),
                  checkStateText(inputChecked));
    return line;
}

std::string formatReportHeader(std::uint32_t count)
{
    char header[40];
    std::snprintf(header, sizeof header, "Count Data : %016X\r\n\r\n", static_cast<unsigned>(count));
    return header;
}

} // namespace zorik
