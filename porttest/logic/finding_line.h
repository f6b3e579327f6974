// The diagnosis in the operator's words, for the line under the summary:
// what is wrong with which input and where to look, in code page 949
// (finding_line.cpp is compiled with -fexec-charset=CP949).
#pragma once

#include "diagnosis.h"

#include <cstddef>
#include <string>

namespace zorik {

// Characters the line may take (a Hangul syllable counts as one): about
// what fits the dialog's second summary line at 9 pt.
inline constexpr std::size_t kFindingLineCharacters = 70;

// E.g. "입력 1 항상 꺼짐: 1번 배선 확인" or, for two inputs,
// "입력 0과 2가 서로 바뀜: 0번과 2번 배선이 바뀜  입력 1 간헐 불량 12.50% (95%: 9.1-16.8%)".
// An input that changed during the run adds since when its finding holds
// and what it was before ("입력 1 항상 꺼짐: 1번 배선 확인, 14:32:10부터
// (사이클 5,001), 그 전 정상"), and is named even when it reads ok again or
// its new rule is still being learnt ("입력 1 판정 중, ..."); a flapping
// input says between what and how often ("입력 1 간헐 불량(항상 꺼짐/정상,
// 12회 바뀜): 1번 접촉 불량 확인").
// When the findings do not fit, where to look goes first, then the time
// ("사이클 5,001부터"), then since when.
// Empty when every input is ok or undetermined and never changed: a passing unit's dialog
// reads as it always did.
std::string formatFindingLine(const Diagnosis& diagnosis);

// Characters of a code page 949 text: a double-byte character counts once.
std::size_t cp949Characters(const std::string& text);

} // namespace zorik
