// The seam between the channel logic and wherever its settings are kept:
// the Base and Access keys of the [Port] section of ZorikApi.ini beside
// the DLL.
#pragma once

#include "port_base.h"

namespace zorik {

class PortSettings {
public:
    // False when there is no file, no [Port] section or no Base key.
    // Otherwise true, with `value` holding the key's value as read,
    // zero-terminated, cut short if it does not fit.
    virtual bool readBase(char (&value)[PORT_BASE_VALUE_CAPACITY]) = 0;
    // The same for the Access key.
    virtual bool readAccess(char (&value)[PORT_BASE_VALUE_CAPACITY]) = 0;

    // Notepad's name for the file's encoding ("UTF-8", "Unicode", "Unicode
    // big endian") when it begins with that encoding's byte-order mark;
    // nullptr for a file without one, and for no file. Windows' profile
    // functions read a UTF-8 file's first line as no section at all, and
    // the 9x family reads no Unicode file, so such a file would be ignored.
    virtual const char* unicodeEncoding() = 0;

protected:
    // Never deleted through this type; a trivial destructor keeps the
    // DLL's instances free of any exit-time clean-up.
    ~PortSettings() = default;
};

} // namespace zorik
