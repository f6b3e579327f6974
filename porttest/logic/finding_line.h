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
// When the findings with where to look do not fit, each is named without it.
// Empty when every input is ok or undetermined: a passing unit's dialog
// reads as it always did.
std::string formatFindingLine(const Diagnosis& diagnosis);

// Characters of a code page 949 text: a double-byte character counts once.
std::size_t cp949Characters(const std::string& text);

} // namespace zorik
