#include "unit_start.h"

namespace zorik {

void startNextUnit(const UnitState& unit, bool keepJournal, const std::string& initial, const std::string& header)
{
    if (unit.counter.value() != 0) {
        unit.journal.finish(keepJournal);
        unit.journal.restart();
    }
    unit.counter.reset();
    unit.tally.reset();
    unit.diagnosis.reset();
    unit.log.reset(initial);
    unit.log.append(header);
    // A bound reached, or memory run out, was the last unit's.
    unit.run.forgetLastUnit();
}

} // namespace zorik
