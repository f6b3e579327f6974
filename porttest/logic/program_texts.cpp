// Compiled with -fexec-charset=CP949: every literal below is stored as code
// page 949 bytes although this file is UTF-8.
#include "program_texts.h"

#include "loopback_waits.h"

#include <cstddef>
#include <cstdio>

namespace zorik {

namespace {

// On Windows this is msvcrt.dll's own formatter: C++ code otherwise gets
// MinGW's C99 printf, a 30 KB engine with wide-character and locale
// machinery that the program's texts do not need. Every buffer is sized
// for the widest value of every field, so nothing is ever cut.
template <std::size_t N, class... Args>
void formatInto(char (&buffer)[N], const char* format, Args... args)
{
#ifdef _WIN32
    _snprintf(buffer, N - 1, format, args...);
    buffer[N - 1] = '\0';
#else
    std::snprintf(buffer, N, format, args...);
#endif
}

} // namespace

const char kTestCaptionRunning[] = "Test  종료 ?";
const char kTestCaptionIdle[] = "Test  시작 ?";
const char kLogInitialText[] = "Error Check";
const char kSaveQuestion[] = "종료하시기 전에 데이터를 저장하시겠습니까?";
const char kSaveFailed[] = "Error Info를 저장하는데 실패하였습니다.";
const char kReportFileName[] = "ErrorInfo.txt";

std::string formatLogHeader()
{
    char text[32];
    formatInto(text, "  -  %ums\r\n\r\n", SETTLE_DELAY_MS);
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
    formatInto(line, " %016X : %02d시 %02d분 %02d초 - 입력[%d] : 출력[%d] = %s : %s\r\n",
               static_cast<unsigned>(cycle), time.hour, time.minute, time.second, channel,
               channel, checkStateText(outputChecked), checkStateText(inputChecked));
    return line;
}

std::string formatReportHeader(std::uint32_t count)
{
    char header[40];
    formatInto(header, "Count Data : %016X\r\n\r\n", static_cast<unsigned>(count));
    return header;
}

} // namespace zorik
