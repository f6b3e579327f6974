// The line's database through ODBC. odbc32.dll is loaded at run time, and
// only when a station connects (/line), so that Zorik.exe still loads on
// Windows 98 and NT 4.0 without ODBC installed. Only the ANSI entry
// points that every ODBC 3 driver manager exports under their plain
// names (SQLDriverConnect, not SQLDriverConnectA) are used; the one Unicode
// call, for the driver's messages, is looked up and done without.
#pragma once

#include "line_database.h"

#include <windows.h>

class WindowsOdbc final : public zorik::LineDatabase {
public:
    // A connect that does not answer ends after this (SQL_ATTR_LOGIN_TIMEOUT).
    static constexpr unsigned long kLoginSeconds = 5;
    // A statement that does not answer (SQL_ATTR_QUERY_TIMEOUT).
    static constexpr unsigned long kStatementSeconds = 15;

    WindowsOdbc() = default;
    ~WindowsOdbc() override;
    WindowsOdbc(const WindowsOdbc&) = delete;
    WindowsOdbc& operator=(const WindowsOdbc&) = delete;

    zorik::LineAnswer connect(const std::string& source) override;
    bool connected() const override { return m_connection != nullptr; }
    void disconnect() override;
    zorik::LineAnswer execute(const std::string& sql, const std::vector<zorik::LineValue>& parameters) override;
    zorik::LineAnswer finish(bool commit) override;

private:
    bool load(zorik::LineAnswer& answer);
    zorik::LineAnswer diagnosis(short type, void* handle, const char* fallback);

    void* m_environment = nullptr;
    void* m_connection = nullptr;
};
