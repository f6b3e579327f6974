// The local date and time for the diagnosis, which notes when each cycle
// began so that it can say since when a finding holds.
#pragma once

#include "diagnosis.h"

class LocalDateTime final : public zorik::DateTimeSource {
public:
    zorik::DateTime now() override;
};
