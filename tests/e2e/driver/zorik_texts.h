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

// The summary line: verdict, then the figures' labels.
inline constexpr char kVerdictWaiting[] = "대기";
inline constexpr char kVerdictPass[] = "정상";
inline constexpr char kVerdictFail[] = "불량";
inline constexpr char kSummaryTimeLabel[] = "  시험 시간 ";

} // namespace zorik::e2e
