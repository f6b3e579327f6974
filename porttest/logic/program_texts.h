// The test program's own texts, as code page 949 bytes (program_texts.cpp is
// compiled with -fexec-charset=CP949). Every string here is NUL-terminated
// and contains no other NUL.
#pragma once

#include "journal_files.h"
#include "loopback_services.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zorik {

// Test button captions: "Test  종료 ?" while a worker runs,
// "Test  시작 ?" when idle.
extern const char kTestCaptionRunning[];
extern const char kTestCaptionIdle[];

// What m_strLog holds when the dialog object is built: "Error Check".
extern const char kLogInitialText[];

// Exit question: "종료하시기 전에 데이터를 저장하시겠습니까?" (yes/no box).
extern const char kSaveQuestion[];
// Shown (stop icon) when the report file could not be written completely:
// "Error Info를 저장하는데 실패하였습니다."
extern const char kSaveFailed[];

// The report file, in the current directory.
extern const char kReportFileName[]; // "ErrorInfo.txt"

// The journal beside the report while a test runs: kJournalFileName, or
// when another program holds that name, "ErrorInfo.unsaved-2.txt" and so
// on up to number kJournalNames. journalFileName(1) is kJournalFileName.
extern const char kJournalFileName[]; // "ErrorInfo.unsaved.txt"
constexpr int kJournalNames = 9;
std::string journalFileName(int number);

// What a left journal is renamed to: "ErrorInfo.recovered-YYYYMMDD-HHMMSS.txt"
// with its last write time, and "...-HHMMSS-2.txt" and so on when that
// name is taken.
std::string recoveredFileName(const LocalDateTime& written, int number);
constexpr int kRecoveredNames = 99;

// Windows' reason for an error: its own words and the number, or the
// number alone when it has no words for it.
std::string errorReason(const std::string& systemText, unsigned long error);

// Told once when the journal cannot be written: the file, the reason, and
// that the test goes on with the results in memory only.
std::string formatJournalFailure(const std::string& fileName, const std::string& reason);

// Told when leaving: the journal could not be removed, so the next start
// will take it for the results of a run that ended badly.
std::string formatJournalNotRemoved(const std::string& fileName, const std::string& reason);

// Told when the result file (/result:) could not be written.
std::string formatResultNotWritten(const std::string& fileName);

// Told at start-up when an earlier run's result file (/result:) could not
// be removed: no test runs, so that no reader takes it for this run's.
std::string formatResultNotRemoved(const std::string& fileName, const std::string& reason);

// Told when memory ran out during a test: the test stopped, and the
// journal `journalName` (empty: none) is kept with the results.
std::string formatOutOfMemory(const std::string& journalName);

// Told at start-up: the files the left journals were renamed to, any
// journal that could not be renamed, with the reason (pairs of name and
// reason), and every journal whose torn end was cut (how many bytes) or
// had to be kept (why). Empty when there is nothing to tell.
struct JournalLeftInPlace {
    std::string fileName;
    std::string reason;
};
struct JournalTrimmed {
    std::string fileName;  // as it is called now
    std::uint64_t bytesCut; // 0 when `failure`
    std::string failure;    // empty when cut
};
std::string formatRecoveryMessage(const std::vector<std::string>& recoveredFiles,
                                  const std::vector<JournalLeftInPlace>& leftInPlace,
                                  const std::vector<JournalTrimmed>& trimmed);

// The reason a torn end is kept when the last bytes looked at hold no
// whole line: "파일의 마지막 128KB 안에 온전한 줄이 없어 결과가 어디서
// 끝나는지 알 수 없습니다."
extern const char kTornEndNotFound[];

// The finding line's words for the findings added with the rule an input
// follows (the older ones are in finding_line.cpp beside their particles).
// C, J, K stand for digits the line puts in.
extern const char kFindingReadsLine[];       // "출력 K의 선을 읽음" (after "입력 C이/가 ")
extern const char kFindingTouchesLine[];     // "번 배선이 K번 선에 닿았는지 확인" (after "C")
extern const char kFindingReadsOpposite[];   // "출력 K의 반대를 읽음"
extern const char kFindingAndInverter[];     // ", 반전 회로 확인" (after kFindingTouchesLine)
extern const char kFindingSwappedWires[];    // "번 배선이 바뀜" (after "J번과 K")
extern const char kFindingBridged[];         // "합선(출력 J, K)"
extern const char kFindingBridgedWhere[];    // "번 선이 서로 붙었는지 확인" (after "J번과 K")
extern const char kFindingSlowRise[];        // "켜질 때 느림(10ms 넘음)"
extern const char kFindingSlowRiseWhere[];   // "번 입력 풀업 확인" (after "C")
extern const char kFindingSlowFall[];        // "꺼질 때 느림(10ms 넘음)"
extern const char kFindingOther[];           // "기타 규칙 " (the rule follows)
extern const char kFindingExceptions[];      // " 예외 " (the rate follows)

// Text appended to m_strLog once while the dialog initialises:
// "  -  10ms\r\n\r\n".
std::string formatLogHeader();

// Check state as it appears in a log line: "ON" for 1 (checked), "OFF"
// for 0.
const char* checkStateText(int checked);

// One disagreement line:
// " %016X : %02d시 %02d분 %02d초 - 입력[%d] : 출력[%d] = %s : %s\r\n"
// with the cycle number, the local time, the channel twice, then the
// output indicator's and the input indicator's check state (in that order)
// as checkStateText words.
std::string formatLogLine(std::uint32_t cycle, const LocalTime& time, int channel,
                          int outputChecked, int inputChecked);

// The report's first piece, before text-mode translation (33 bytes):
// "Count Data : %016X\r\n\r\n".
std::string formatReportHeader(std::uint32_t count);

} // namespace zorik
