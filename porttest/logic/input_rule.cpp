#include "input_rule.h"

namespace zorik {

const std::uint8_t kRulePairVariables[kRulePairs][2] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}};

namespace {

// The 16-combination table of a function over the pair's two variables.
RuleTable tableOfPair(int pair, unsigned pairTable)
{
    RuleTable table = 0;
    for (int x = 0; x < kRuleCombinations; ++x) {
        const unsigned a = (x >> kRulePairVariables[pair][0]) & 1u;
        const unsigned b = (x >> kRulePairVariables[pair][1]) & 1u;
        if ((pairTable >> (a | b << 1)) & 1u)
            table = static_cast<RuleTable>(table | 1u << x);
    }
    return table;
}

// How many of the four variables the table depends on.
int variablesUsed(RuleTable table)
{
    int used = 0;
    for (int v = 0; v < kRuleVariables; ++v) {
        for (int x = 0; x < kRuleCombinations; ++x) {
            if (((x >> v) & 1) == 0 && ((table >> x) & 1u) != ((table >> (x | 1 << v)) & 1u)) {
                ++used;
                break;
            }
        }
    }
    return used;
}

struct SmallRuleList {
    SmallRule rules[kSmallRules];
    SmallRuleList()
    {
        int count = 0;
        // Fewest variables first, so the order reads constants, single
        // variables, pairs; the first pair that gives a table keeps it.
        for (int used = 0; used <= 2; ++used) {
            for (int pair = 0; pair < kRulePairs; ++pair) {
                for (unsigned pairTable = 0; pairTable < 16; ++pairTable) {
                    const RuleTable table = tableOfPair(pair, pairTable);
                    if (variablesUsed(table) != used)
                        continue;
                    bool known = false;
                    for (int i = 0; i < count && !known; ++i)
                        known = rules[i].table == table;
                    if (!known && count < kSmallRules)
                        rules[count++] = {table, static_cast<std::uint8_t>(pair), static_cast<std::uint8_t>(pairTable)};
                }
            }
        }
    }
};

// A product of literals: `care` the variables in it, `value` their levels.
struct Term {
    unsigned care;
    unsigned value;
};

bool implies(RuleTable table, Term term)
{
    for (unsigned x = 0; x < kRuleCombinations; ++x) {
        if ((x & term.care) == term.value && ((table >> x) & 1u) == 0)
            return false;
    }
    return true;
}

int literals(Term term)
{
    int n = 0;
    for (int v = 0; v < kRuleVariables; ++v)
        n += (term.care >> v) & 1u;
    return n;
}

// Per variable: 0 plain, 1 NOT, 2 absent; compared variable by variable.
bool before(Term a, Term b)
{
    if (literals(a) != literals(b))
        return literals(a) < literals(b);
    for (int v = 0; v < kRuleVariables; ++v) {
        const int codeA = (a.care >> v) & 1u ? ((a.value >> v) & 1u ? 0 : 1) : 2;
        const int codeB = (b.care >> v) & 1u ? ((b.value >> v) & 1u ? 0 : 1) : 2;
        if (codeA != codeB)
            return codeA < codeB;
    }
    return false;
}

void appendLiteral(std::string& text, int variable, bool plain, int channel)
{
    if (!plain)
        text += "NOT ";
    text += variable == kPrevVariable ? "prev" : "out";
    text += static_cast<char>('0' + (variable == kPrevVariable ? channel : variable));
}

} // namespace

const SmallRule (&smallRules())[kSmallRules]
{
    static const SmallRuleList list;
    return list.rules;
}

bool isSmallRule(RuleTable table)
{
    return variablesUsed(table) <= 2;
}

std::string ruleFormula(RuleTable table, int channel)
{
    // Every implicant with no literal to spare (81 products of at most
    // four literals), sorted by insertion: at most 16 of them.
    Term primes[81];
    int count = 0;
    for (unsigned care = 0; care < kRuleCombinations; ++care) {
        for (unsigned value = care;; value = (value - 1) & care) {
            const Term term{care, value};
            bool prime = implies(table, term);
            for (int v = 0; v < kRuleVariables && prime; ++v) {
                if ((care >> v) & 1u)
                    prime = !implies(table, Term{care & ~(1u << v), value & ~(1u << v)});
            }
            if (prime) {
                int at = count++;
                while (at > 0 && before(term, primes[at - 1])) {
                    primes[at] = primes[at - 1];
                    --at;
                }
                primes[at] = term;
            }
            if (value == 0)
                break;
        }
    }
    if (count == 0)
        return "0";
    std::string text;
    for (int i = 0; i < count; ++i) {
        const Term term = primes[i];
        if (term.care == 0)
            return "1";
        if (i > 0)
            text += " OR ";
        const bool parenthesised = count > 1 && literals(term) > 1;
        if (parenthesised)
            text += '(';
        bool first = true;
        for (int v = 0; v < kRuleVariables; ++v) {
            if (((term.care >> v) & 1u) == 0)
                continue;
            if (!first)
                text += " AND ";
            first = false;
            appendLiteral(text, v, ((term.value >> v) & 1u) != 0, channel);
        }
        if (parenthesised)
            text += ')';
    }
    return text;
}

} // namespace zorik
