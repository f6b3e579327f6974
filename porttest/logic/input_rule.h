// A rule an input may follow: its level as a function of four things the
// test knows at each reading (out0, out1, out2: the outputs' indicators,
// 1 = ON; prevN: the input's own output before this cycle's write), held
// as a truth table over their 16 combinations. The diagnosis learns which
// rule an input follows; this file names the rules and writes them out.
#pragma once

#include <cstdint>
#include <string>

namespace zorik {

// Bit x of a table: the level the rule gives for combination
// x = out0 | out1 << 1 | out2 << 2 | prevN << 3.
using RuleTable = std::uint16_t;

inline constexpr int kRuleVariables = 4; // out0, out1, out2, prevN
inline constexpr int kRuleCombinations = 16;
inline constexpr int kPrevVariable = 3;

// The table of one variable alone: out0, out1, out2 or prevN.
constexpr RuleTable variableTable(int variable)
{
    return variable == 0 ? 0xAAAA : variable == 1 ? 0xCCCC : variable == 2 ? 0xF0F0 : 0xFF00;
}

// Every rule of at most two of the four variables, each table once (70,
// the two constants included), in a fixed order: constants, single
// variables, then the pairs.
inline constexpr int kSmallRules = 70;
struct SmallRule {
    RuleTable table;
    std::uint8_t pair;      // index into kRulePairs: the two variables the table is read over
    std::uint8_t pairTable; // bit (a | b << 1): the level for the first variable a, the second b
};
inline constexpr int kRulePairs = 6;
extern const std::uint8_t kRulePairVariables[kRulePairs][2];
const SmallRule (&smallRules())[kSmallRules];

// True when the table depends on at most two of the four variables.
bool isSmallRule(RuleTable table);

// The rule written out, e.g. "NOT out2", "out0 AND out2", "out1 AND prev1",
// "(out1 AND NOT out2) OR (NOT out1 AND out2)". Canonical: the OR of every
// prime implicant of the table (none: "0"; the empty one: "1"), fewer
// literals first, then in the order of their literals (out0, out1, out2,
// prevN; a plain variable before its NOT before its absence); a term of
// several literals is in parentheses when there are several terms.
// `channel` is N in prevN.
std::string ruleFormula(RuleTable table, int channel);

} // namespace zorik
