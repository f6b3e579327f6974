// A ZorikApi.ini whose Base key the test sets, counting how often it is read.
#pragma once

#include "port_settings.h"

#include <algorithm>
#include <optional>
#include <string>

namespace zorik::testing {

class FakePortSettings final : public PortSettings {
public:
    FakePortSettings() = default;
    explicit FakePortSettings(std::string value) : base(std::move(value)) {}

    std::optional<std::string> base; // nothing: no file, section or key
    std::optional<std::string> access;
    const char* encoding = nullptr;  // the file's byte-order mark, by Notepad's name
    int reads = 0;

    const char* unicodeEncoding() override { return encoding; }

    bool readBase(char (&value)[PORT_BASE_VALUE_CAPACITY]) override
    {
        ++reads;
        return copy(base, value);
    }
    bool readAccess(char (&value)[PORT_BASE_VALUE_CAPACITY]) override { return copy(access, value); }

private:
    static bool copy(const std::optional<std::string>& key, char (&value)[PORT_BASE_VALUE_CAPACITY])
    {
        if (!key)
            return false;
        // Cut short as the profile function cuts a long value.
        const std::size_t length = std::min(key->size(), PORT_BASE_VALUE_CAPACITY - 1);
        key->copy(value, length);
        value[length] = '\0';
        return true;
    }
};

} // namespace zorik::testing
