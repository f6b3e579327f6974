#include "windows_odbc.h"

#include "framework/windows_error_text.h"

#include <sql.h>
#include <sqlext.h>

#include <cstring>
#include <memory>

namespace {

// The driver manager's functions, looked up once, on the line's thread
// (the only one that calls them).
struct OdbcApi {
    SQLRETURN(SQL_API* allocHandle)(SQLSMALLINT, SQLHANDLE, SQLHANDLE*);
    SQLRETURN(SQL_API* freeHandle)(SQLSMALLINT, SQLHANDLE);
    SQLRETURN(SQL_API* setEnvAttr)(SQLHENV, SQLINTEGER, SQLPOINTER, SQLINTEGER);
    SQLRETURN(SQL_API* setConnectAttr)(SQLHDBC, SQLINTEGER, SQLPOINTER, SQLINTEGER);
    SQLRETURN(SQL_API* setStmtAttr)(SQLHSTMT, SQLINTEGER, SQLPOINTER, SQLINTEGER);
    SQLRETURN(SQL_API* driverConnect)(SQLHDBC, SQLHWND, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLSMALLINT*,
                                      SQLUSMALLINT);
    SQLRETURN(SQL_API* disconnect)(SQLHDBC);
    SQLRETURN(SQL_API* getInfo)(SQLHDBC, SQLUSMALLINT, SQLPOINTER, SQLSMALLINT, SQLSMALLINT*);
    SQLRETURN(SQL_API* execDirect)(SQLHSTMT, SQLCHAR*, SQLINTEGER);
    SQLRETURN(SQL_API* prepare)(SQLHSTMT, SQLCHAR*, SQLINTEGER);
    SQLRETURN(SQL_API* bindParameter)(SQLHSTMT, SQLUSMALLINT, SQLSMALLINT, SQLSMALLINT, SQLSMALLINT, SQLULEN,
                                      SQLSMALLINT, SQLPOINTER, SQLLEN, SQLLEN*);
    SQLRETURN(SQL_API* execute)(SQLHSTMT);
    SQLRETURN(SQL_API* numResultCols)(SQLHSTMT, SQLSMALLINT*);
    SQLRETURN(SQL_API* fetch)(SQLHSTMT);
    SQLRETURN(SQL_API* getData)(SQLHSTMT, SQLUSMALLINT, SQLSMALLINT, SQLPOINTER, SQLLEN, SQLLEN*);
    SQLRETURN(SQL_API* endTran)(SQLSMALLINT, SQLHANDLE, SQLSMALLINT);
    SQLRETURN(SQL_API* getDiagRec)(SQLSMALLINT, SQLHANDLE, SQLSMALLINT, SQLCHAR*, SQLINTEGER*, SQLCHAR*, SQLSMALLINT,
                                   SQLSMALLINT*);
    // Optional: the driver's words in UTF-16, made code page 949 here.
    SQLRETURN(SQL_API* getDiagRecW)(SQLSMALLINT, SQLHANDLE, SQLSMALLINT, SQLWCHAR*, SQLINTEGER*, SQLWCHAR*,
                                    SQLSMALLINT, SQLSMALLINT*);
};

OdbcApi g_odbc;
bool g_odbcLoaded = false;
DWORD g_odbcError = 0;

template <typename Function>
bool lookUp(HMODULE module, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    return function != nullptr;
}

bool loadOdbc()
{
    if (g_odbcLoaded)
        return true;
    // Kept for the life of the process: a driver may have threads of its own.
    const HMODULE module = ::LoadLibraryA("odbc32.dll");
    if (module == nullptr) {
        g_odbcError = ::GetLastError();
        return false;
    }
    OdbcApi& api = g_odbc;
    const bool all = lookUp(module, "SQLAllocHandle", api.allocHandle) && lookUp(module, "SQLFreeHandle", api.freeHandle) &&
                     lookUp(module, "SQLSetEnvAttr", api.setEnvAttr) &&
                     lookUp(module, "SQLSetConnectAttr", api.setConnectAttr) &&
                     lookUp(module, "SQLSetStmtAttr", api.setStmtAttr) &&
                     lookUp(module, "SQLDriverConnect", api.driverConnect) &&
                     lookUp(module, "SQLDisconnect", api.disconnect) && lookUp(module, "SQLGetInfo", api.getInfo) &&
                     lookUp(module, "SQLExecDirect", api.execDirect) && lookUp(module, "SQLPrepare", api.prepare) &&
                     lookUp(module, "SQLBindParameter", api.bindParameter) && lookUp(module, "SQLExecute", api.execute) &&
                     lookUp(module, "SQLNumResultCols", api.numResultCols) && lookUp(module, "SQLFetch", api.fetch) &&
                     lookUp(module, "SQLGetData", api.getData) && lookUp(module, "SQLEndTran", api.endTran) &&
                     lookUp(module, "SQLGetDiagRec", api.getDiagRec);
    if (!all) {
        g_odbcError = ERROR_PROC_NOT_FOUND;
        return false;
    }
    lookUp(module, "SQLGetDiagRecW", api.getDiagRecW);
    g_odbcLoaded = true;
    return true;
}

bool succeeded(SQLRETURN result)
{
    return result == SQL_SUCCESS || result == SQL_SUCCESS_WITH_INFO;
}

// A statement handle freed when it goes.
class Statement {
public:
    explicit Statement(SQLHDBC connection)
    {
        if (!succeeded(g_odbc.allocHandle(SQL_HANDLE_STMT, connection, &m_handle)))
            m_handle = nullptr;
    }
    ~Statement()
    {
        if (m_handle != nullptr)
            g_odbc.freeHandle(SQL_HANDLE_STMT, m_handle);
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    SQLHSTMT handle() const { return m_handle; }

private:
    SQLHSTMT m_handle = nullptr;
};

// What one "?" is bound to, alive until the statement has run.
struct Bound {
    std::string text;
    SQLBIGINT number = 0;
    SQL_TIMESTAMP_STRUCT time = {};
    SQLLEN length = 0;
};

SQL_TIMESTAMP_STRUCT timestampOf(const std::string& text)
{
    // "YYYY-MM-DD HH:MM:SS", as the station writes it.
    const auto field = [&](std::size_t at, std::size_t count) {
        unsigned value = 0;
        for (std::size_t i = at; i < at + count && i < text.size(); ++i)
            value = value * 10 + static_cast<unsigned>(text[i] - '0');
        return value;
    };
    SQL_TIMESTAMP_STRUCT time = {};
    time.year = static_cast<SQLSMALLINT>(field(0, 4));
    time.month = static_cast<SQLUSMALLINT>(field(5, 2));
    time.day = static_cast<SQLUSMALLINT>(field(8, 2));
    time.hour = static_cast<SQLUSMALLINT>(field(11, 2));
    time.minute = static_cast<SQLUSMALLINT>(field(14, 2));
    time.second = static_cast<SQLUSMALLINT>(field(17, 2));
    return time;
}

} // namespace

WindowsOdbc::~WindowsOdbc()
{
    disconnect();
}

bool WindowsOdbc::load(zorik::LineAnswer& answer)
{
    if (loadOdbc())
        return true;
    answer.ok = false;
    answer.state = "IM003";
    answer.message = "odbc32.dll: " + windowsErrorText(g_odbcError);
    return false;
}

zorik::LineAnswer WindowsOdbc::diagnosis(short type, void* handle, const char* fallback)
{
    zorik::LineAnswer answer;
    answer.ok = false;
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    if (g_odbc.getDiagRecW != nullptr) {
        SQLWCHAR state[6] = {}, message[1024] = {};
        if (succeeded(g_odbc.getDiagRecW(type, handle, 1, state, &native, message, 1023, &length))) {
            for (int i = 0; i < 5 && state[i] != 0; ++i)
                answer.state += static_cast<char>(state[i]);
            char text[2048] = "";
            const int bytes = ::WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(message), -1, text,
                                                    sizeof text, nullptr, nullptr);
            answer.message = bytes > 0 ? std::string(text) : std::string();
        }
    } else {
        SQLCHAR state[6] = "", message[1024] = "";
        if (succeeded(g_odbc.getDiagRec(type, handle, 1, state, &native, message, sizeof message, &length))) {
            answer.state = reinterpret_cast<char*>(state);
            answer.message = reinterpret_cast<char*>(message);
        }
    }
    // A message's line ends become blanks: it is shown on one line.
    for (char& c : answer.message)
        if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
    while (!answer.message.empty() && answer.message.back() == ' ')
        answer.message.pop_back();
    if (answer.message.empty())
        answer.message = fallback;
    return answer;
}

zorik::LineAnswer WindowsOdbc::connect(const std::string& source)
{
    zorik::LineAnswer answer;
    disconnect();
    if (!load(answer))
        return answer;
    if (!succeeded(g_odbc.allocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_environment))) {
        m_environment = nullptr;
        answer.ok = false;
        answer.state = "HY001";
        answer.message = "no ODBC environment";
        return answer;
    }
    g_odbc.setEnvAttr(m_environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLHDBC connection = nullptr;
    if (!succeeded(g_odbc.allocHandle(SQL_HANDLE_DBC, m_environment, &connection))) {
        answer = diagnosis(SQL_HANDLE_ENV, m_environment, "no ODBC connection");
        disconnect();
        return answer;
    }
    g_odbc.setConnectAttr(connection, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(kLoginSeconds), 0);
    // A name alone is a data source set up in the ODBC administrator.
    std::string text = source.find('=') != std::string::npos ? source : "DSN=" + source;
    SQLCHAR completed[1024] = "";
    SQLSMALLINT completedLength = 0;
    const SQLRETURN result = g_odbc.driverConnect(connection, nullptr, reinterpret_cast<SQLCHAR*>(&text[0]),
                                                  SQL_NTS, completed, sizeof completed, &completedLength,
                                                  SQL_DRIVER_NOPROMPT);
    // The completed string holds the password: gone at once.
    ::SecureZeroMemory(completed, sizeof completed);
    ::SecureZeroMemory(&text[0], text.size());
    if (!succeeded(result)) {
        answer = diagnosis(SQL_HANDLE_DBC, connection, "the data source did not answer");
        g_odbc.freeHandle(SQL_HANDLE_DBC, connection);
        disconnect();
        return answer;
    }
    m_connection = connection;
    // Code page 949 text goes through the ANSI calls as it is: PostgreSQL
    // is told so, whatever the data source says (a UTF8 database refuses
    // the bytes otherwise). Before autocommit goes off, so that it holds
    // for the whole connection.
    char dbms[64] = "";
    SQLSMALLINT dbmsLength = 0;
    if (succeeded(g_odbc.getInfo(m_connection, SQL_DBMS_NAME, dbms, sizeof dbms, &dbmsLength)) &&
        std::strncmp(dbms, "PostgreSQL", 10) == 0) {
        Statement statement(m_connection);
        char set[] = "SET client_encoding TO 'UHC'";
        if (statement.handle() == nullptr ||
            !succeeded(g_odbc.execDirect(statement.handle(), reinterpret_cast<SQLCHAR*>(set), SQL_NTS))) {
            answer = statement.handle() != nullptr ? diagnosis(SQL_HANDLE_STMT, statement.handle(), "client_encoding")
                                                  : diagnosis(SQL_HANDLE_DBC, m_connection, "client_encoding");
            disconnect();
            return answer;
        }
    }
    if (!succeeded(g_odbc.setConnectAttr(m_connection, SQL_ATTR_AUTOCOMMIT,
                                         reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0))) {
        answer = diagnosis(SQL_HANDLE_DBC, m_connection, "no transactions");
        disconnect();
    }
    return answer;
}

void WindowsOdbc::disconnect()
{
    if (m_connection != nullptr) {
        g_odbc.endTran(SQL_HANDLE_DBC, m_connection, SQL_ROLLBACK);
        g_odbc.disconnect(m_connection);
        g_odbc.freeHandle(SQL_HANDLE_DBC, m_connection);
        m_connection = nullptr;
    }
    if (m_environment != nullptr) {
        g_odbc.freeHandle(SQL_HANDLE_ENV, m_environment);
        m_environment = nullptr;
    }
}

zorik::LineAnswer WindowsOdbc::execute(const std::string& sql, const std::vector<zorik::LineValue>& parameters)
{
    zorik::LineAnswer answer;
    if (m_connection == nullptr) {
        answer.ok = false;
        answer.state = "08003";
        answer.message = "not connected";
        return answer;
    }
    Statement statement(m_connection);
    const SQLHSTMT handle = statement.handle();
    if (handle == nullptr)
        return diagnosis(SQL_HANDLE_DBC, m_connection, "no statement");
    g_odbc.setStmtAttr(handle, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(kStatementSeconds), 0);
    std::string text = sql;
    if (!succeeded(g_odbc.prepare(handle, reinterpret_cast<SQLCHAR*>(&text[0]), SQL_NTS)))
        return diagnosis(SQL_HANDLE_STMT, handle, "the statement was refused");
    // Values only as parameters: never in the statement's text.
    std::unique_ptr<Bound[]> bound(new Bound[parameters.size() + 1]);
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        const zorik::LineValue& value = parameters[i];
        Bound& slot = bound[i];
        SQLRETURN result;
        const SQLUSMALLINT number = static_cast<SQLUSMALLINT>(i + 1);
        if (value.kind == zorik::LineValue::Kind::Integer) {
            slot.number = value.number;
            result = g_odbc.bindParameter(handle, number, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                                          &slot.number, 0, nullptr);
        } else if (value.kind == zorik::LineValue::Kind::Timestamp) {
            slot.time = timestampOf(value.text);
            result = g_odbc.bindParameter(handle, number, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP,
                                          19, 0, &slot.time, sizeof slot.time, nullptr);
        } else {
            slot.text = value.text;
            slot.length = static_cast<SQLLEN>(slot.text.size());
            result = g_odbc.bindParameter(handle, number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                          slot.text.size() + 1, 0, &slot.text[0], slot.length + 1, &slot.length);
        }
        if (!succeeded(result))
            return diagnosis(SQL_HANDLE_STMT, handle, "a value could not be bound");
    }
    const SQLRETURN ran = g_odbc.execute(handle);
    if (!succeeded(ran) && ran != SQL_NO_DATA)
        return diagnosis(SQL_HANDLE_STMT, handle, "the statement failed");
    SQLSMALLINT columns = 0;
    if (!succeeded(g_odbc.numResultCols(handle, &columns)) || columns <= 0)
        return answer;
    for (;;) {
        const SQLRETURN fetched = g_odbc.fetch(handle);
        if (fetched == SQL_NO_DATA)
            break;
        if (!succeeded(fetched))
            return diagnosis(SQL_HANDLE_STMT, handle, "a row could not be read");
        std::vector<std::string> row;
        for (SQLUSMALLINT column = 1; column <= static_cast<SQLUSMALLINT>(columns); ++column) {
            char data[512] = "";
            SQLLEN length = 0;
            if (!succeeded(g_odbc.getData(handle, column, SQL_C_CHAR, data, sizeof data, &length)))
                return diagnosis(SQL_HANDLE_STMT, handle, "a column could not be read");
            row.emplace_back(length == SQL_NULL_DATA ? "" : data);
        }
        answer.rows.push_back(std::move(row));
    }
    return answer;
}

zorik::LineAnswer WindowsOdbc::finish(bool commit)
{
    if (m_connection == nullptr) {
        zorik::LineAnswer answer;
        answer.ok = false;
        answer.state = "08003";
        answer.message = "not connected";
        return answer;
    }
    if (!succeeded(g_odbc.endTran(SQL_HANDLE_DBC, m_connection, commit ? SQL_COMMIT : SQL_ROLLBACK)))
        return diagnosis(SQL_HANDLE_DBC, m_connection, "the transaction could not end");
    return {};
}
