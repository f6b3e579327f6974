// The edit control as the program's log box: far more text than its
// default limit, appended piece by piece, never refilled; and the log box
// that keeps the header and the newest lines within its budget.
#include "framework/edit.h"
#include "framework/log_box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class LogBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        box.m_hWnd = ::CreateWindowExA(0, "EDIT", "", WS_POPUP | ES_MULTILINE | ES_READONLY
                                       | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER,
                                       0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(box.m_hWnd, nullptr);
    }
    void TearDown() override { ::DestroyWindow(box.m_hWnd); }

    std::string Text() const
    {
        std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(box.m_hWnd)) + 1, '\0');
        text.resize(static_cast<std::size_t>(::GetWindowTextA(box.m_hWnd, &text[0], static_cast<int>(text.size()))));
        return text;
    }

    CEdit box;
};

// A log line in code page 949, as the worker writes them ("시", "분", "초",
// "입력", "출력").
const std::string kLine = " 0000000000000005 : 12\xBD\xC3 34\xBA\xD0 56\xC3\xCA - "
                          "\xC0\xD4\xB7\xC2[1] : \xC3\xE2\xB7\xC2[1] = ON : OFF\r\n";

TEST_F(LogBox, HoldsEveryLineOfALogFarPastTheDefaultLimit)
{
    box.SetLimitText(0);
    std::string expected = "Error Check  -  10ms\r\n\r\n";
    ::SetWindowTextA(box.m_hWnd, expected.c_str());
    for (int i = 0; i < 1500; ++i) {  // about 100 000 bytes
        box.AppendText(kLine.c_str());
        expected += kLine;
    }
    EXPECT_EQ(Text(), expected);
}

TEST_F(LogBox, AppendsAtTheEndWhateverIsSelectedAndShowsTheNewestLine)
{
    // Only a box on screen scrolls.
    ::ShowWindow(box.m_hWnd, SW_SHOWNOACTIVATE);
    box.SetLimitText(0);
    std::string expected;
    for (int i = 0; i < 60; ++i) {
        // The operator selects something near the top between two lines.
        ::SendMessageA(box.m_hWnd, EM_SETSEL, 3, 10);
        box.AppendText(kLine.c_str());
        expected += kLine;
    }
    EXPECT_EQ(Text(), expected);
    const LRESULT lines = ::SendMessageA(box.m_hWnd, EM_GETLINECOUNT, 0, 0);
    const LRESULT firstVisible = ::SendMessageA(box.m_hWnd, EM_GETFIRSTVISIBLELINE, 0, 0);
    EXPECT_GT(firstVisible, 0);
    EXPECT_GE(firstVisible, lines - 20) << "the end of the log is out of view";
}

} // namespace

namespace {

class TrimmedLogBox : public LogBox {
protected:
    void SetUp() override
    {
        LogBox::SetUp();
        trimmed.m_hWnd = box.m_hWnd;
    }
    // Room for the header and four lines, lines leaving one at a time.
    CLogBox trimmed{24 + 4 * kLine.size(), 0};
};

} // namespace

TEST_F(TrimmedLogBox, ShowsTheHeaderAndTheNewestWholeLinesAndEndsWithTheNewest)
{
    ::ShowWindow(box.m_hWnd, SW_SHOWNOACTIVATE);
    const std::string header = "Error Check  -  10ms\r\n\r\n";
    std::vector<std::string> lines;
    for (int i = 0; i < 30; ++i) {
        std::string line = kLine;
        line[16] = static_cast<char>('A' + i % 26); // the cycle's last digit
        lines.push_back(line);
    }
    // Filled afresh from a log of ten lines: the newest four.
    std::string log = header;
    for (int i = 0; i < 10; ++i)
        log += lines[i];
    trimmed.Show(log);
    EXPECT_EQ(Text(), header + lines[6] + lines[7] + lines[8] + lines[9]);
    // Then line by line, as the worker logs, whatever the operator selects.
    for (int i = 10; i < 30; ++i) {
        ::SendMessageA(box.m_hWnd, EM_SETSEL, 3, 40);
        trimmed.AppendLine(lines[i]);
        EXPECT_EQ(Text(), header + lines[i - 3] + lines[i - 2] + lines[i - 1] + lines[i]) << i;
    }
    const LRESULT count = ::SendMessageA(box.m_hWnd, EM_GETLINECOUNT, 0, 0);
    const LRESULT firstVisible = ::SendMessageA(box.m_hWnd, EM_GETFIRSTVISIBLELINE, 0, 0);
    EXPECT_GE(firstVisible, count - 20) << "the newest line is out of view";
}
