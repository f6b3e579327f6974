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
const char kJournalFileName[] = "ErrorInfo.unsaved.txt";
const char kTornEndNotFound[] = "파일의 마지막 128KB 안에 온전한 줄이 없어 결과가 어디서 끝나는지 알 수 없습니다.";

const char kFindingReadsLine[] = "출력 K의 선을 읽음";
const char kFindingTouchesLine[] = "번 배선이 K번 선에 닿았는지 확인";
const char kFindingReadsOpposite[] = "출력 K의 반대를 읽음";
const char kFindingAndInverter[] = ", 반전 회로 확인";
const char kFindingSwappedWires[] = "번 배선이 바뀜";
const char kFindingBridged[] = "합선(출력 J, K)";
const char kFindingBridgedWhere[] = "번 선이 서로 붙었는지 확인";
const char kFindingSlowRise[] = "켜질 때 느림(10ms 넘음)";
const char kFindingSlowRiseWhere[] = "번 입력 풀업 확인";
const char kFindingSlowFall[] = "꺼질 때 느림(10ms 넘음)";
const char kFindingOther[] = "기타 규칙 ";
const char kFindingExceptions[] = " 예외 ";

std::string journalFileName(int number)
{
    if (number <= 1)
        return kJournalFileName;
    char name[40];
    formatInto(name, "ErrorInfo.unsaved-%d.txt", number);
    return name;
}

std::string recoveredFileName(const LocalDateTime& written, int number)
{
    char name[80];
    formatInto(name, "ErrorInfo.recovered-%04d%02d%02d-%02d%02d%02d", written.year, written.month,
               written.day, written.hour, written.minute, written.second);
    std::string result = name;
    if (number > 1) {
        formatInto(name, "-%d", number);
        result += name;
    }
    return result + ".txt";
}

std::string errorReason(const std::string& systemText, unsigned long error)
{
    // The system's text ends its sentence with a line break.
    std::string text = systemText;
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    char number[32];
    formatInto(number, "오류 %lu", error);
    return text.empty() ? std::string(number) : text + " (" + number + ")";
}

std::string formatJournalFailure(const std::string& fileName, const std::string& reason)
{
    return "시험 결과를 " + fileName + " 파일에 기록할 수 없습니다.\r\n이유: " + reason +
           "\r\n\r\n시험은 계속되지만 결과는 메모리에만 있습니다. 종료할 때 저장하십시오.";
}

std::string formatJournalNotRemoved(const std::string& fileName, const std::string& reason)
{
    return "임시 기록 파일 " + fileName + "을(를) 지우지 못했습니다.\r\n이유: " + reason +
           "\r\n\r\n다음에 시작할 때 이 파일은 끝나지 않은 실행의 결과로 복구됩니다. 필요 없으면 지우십시오.";
}

std::string formatResultNotWritten(const std::string& fileName)
{
    return "진단 결과 파일 " + fileName + "을(를) 쓰지 못했습니다.";
}

std::string formatResultNotRemoved(const std::string& fileName, const std::string& reason)
{
    return "이전 진단 결과 파일 " + fileName + "을(를) 지우지 못했습니다.\r\n이유: " + reason +
           "\r\n\r\n이번 실행의 결과로 잘못 읽히지 않도록 시험을 시작하지 않습니다.";
}

std::string formatOutOfMemory(const std::string& journalName)
{
    std::string text = "메모리가 부족하여 시험을 멈췄습니다.";
    if (!journalName.empty())
        text += "\r\n지금까지의 결과는 " + journalName + " 파일에 남겨 두며, 다음에 시작할 때 복구됩니다.";
    return text;
}

std::string formatRecoveryMessage(const std::vector<std::string>& recoveredFiles,
                                  const std::vector<JournalLeftInPlace>& leftInPlace,
                                  const std::vector<JournalTrimmed>& trimmed)
{
    std::string text;
    if (!recoveredFiles.empty()) {
        text = "지난번 실행이 정상적으로 끝나지 않았습니다. 저장되지 않은 시험 결과를 다음 파일로 옮겼습니다:";
        for (const std::string& name : recoveredFiles)
            text += "\r\n" + name;
    }
    for (const JournalLeftInPlace& left : leftInPlace) {
        if (!text.empty())
            text += "\r\n\r\n";
        text += "지난번 실행의 시험 결과 " + left.fileName + " 파일을 옮기지 못해 그대로 두었습니다.\r\n이유: " +
                left.reason;
    }
    for (const JournalTrimmed& trim : trimmed) {
        if (!text.empty())
            text += "\r\n\r\n";
        if (trim.failure.empty()) {
            // A torn end is never longer than the bytes looked at (128 KB).
            char bytes[32];
            formatInto(bytes, "%lu", static_cast<unsigned long>(trim.bytesCut));
            text += trim.fileName + " 파일 끝의 불완전한 기록 " + bytes +
                    "바이트(전원이 끊기는 등으로 다 쓰지 못한 부분)를 잘라냈습니다.";
        } else {
            text += trim.fileName + " 파일 끝의 불완전한 기록을 잘라내지 못해 그대로 두었습니다.\r\n이유: " +
                    trim.failure;
        }
    }
    return text;
}

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
