// The program's own texts, as the operator sees them, in UTF-8; compare them
// with the window texts through cp949().
#pragma once

namespace zorik::e2e {

inline constexpr char kDialogCaption[] = "Zorik";
inline constexpr char kExitCaption[] = "종 료";
inline constexpr char kTestIdleCaption[] = "Test  시작 ?";
inline constexpr char kTestRunningCaption[] = "Test  종료 ?";

inline constexpr char kSaveQuestion[] =
    "종료하시기 전에 데이터를 저장하시겠습니까?";
inline constexpr char kSaveFailed[] = "Error Info를 저장하는데 실패하였습니다.";
inline constexpr char kCannotFindPort[] = "Cannot Find Port";
inline constexpr char kLibraryFatalCaption[] = "Zorik-Unit Fatal Error";
inline constexpr char kGiveioMissing[] = "Couldn't access giveio device";

inline constexpr char kReportName[] = "ErrorInfo.txt";
inline constexpr char kJournalName[] = "ErrorInfo.unsaved.txt";

// At start-up, after the recovered files' names (each on a line of its own).
inline constexpr char kRecoveredIntro[] =
    "지난번 실행이 정상적으로 끝나지 않았습니다. 저장되지 않은 시험 결과를 다음 파일로 옮겼습니다:";
// A left journal's torn end was cut: the file's name, the bytes cut between.
inline constexpr char kTornEndCutBefore[] = " 파일 끝의 불완전한 기록 ";
inline constexpr char kTornEndCutAfter[] = "바이트(전원이 끊기는 등으로 다 쓰지 못한 부분)를 잘라냈습니다.";
// The journal cannot be written: the file's name, then Windows' reason.
inline constexpr char kJournalFailedBefore[] = "시험 결과를 ";
inline constexpr char kJournalFailedMiddle[] = " 파일에 기록할 수 없습니다.\r\n이유: ";
inline constexpr char kJournalFailedAfter[] =
    "\r\n\r\n시험은 계속되지만 결과는 메모리에만 있습니다. 종료할 때 저장하십시오.";

// The summary line: verdict, then the figures' labels.
inline constexpr char kVerdictWaiting[] = "대기";
inline constexpr char kVerdictPass[] = "정상";
inline constexpr char kVerdictFail[] = "불량";
inline constexpr char kSummaryTimeLabel[] = "  시험 시간 ";

} // namespace zorik::e2e
