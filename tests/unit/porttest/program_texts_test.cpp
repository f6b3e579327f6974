// The program's texts must be code page 949 bytes whatever the compiler's
// source and execution character sets are; the expectations are spelt out
// byte by byte.
#include "program_texts.h"

#include <gtest/gtest.h>

#include <string>

using namespace zorik;

TEST(TestTexts, CaptionsAreCodePage949)
{
    EXPECT_EQ(std::string(kTestCaptionRunning), "Test  \xC1\xBE\xB7\xE1 ?");
    EXPECT_EQ(std::string(kTestCaptionIdle), "Test  \xBD\xC3\xC0\xDB ?");
}

TEST(TestTexts, ExitMessagesAreCodePage949)
{
    EXPECT_EQ(std::string(kSaveQuestion),
              "\xC1\xBE\xB7\xE1\xC7\xCF\xBD\xC3\xB1\xE2 \xC0\xFC\xBF\xA1 "
              "\xB5\xA5\xC0\xCC\xC5\xCD\xB8\xA6 "
              "\xC0\xFA\xC0\xE5\xC7\xCF\xBD\xC3\xB0\xDA\xBD\xC0\xB4\xCF\xB1\xEE?");
    EXPECT_EQ(std::string(kSaveFailed),
              "Error Info\xB8\xA6 \xC0\xFA\xC0\xE5\xC7\xCF\xB4\xC2\xB5\xA5 "
              "\xBD\xC7\xC6\xD0\xC7\xCF\xBF\xB4\xBD\xC0\xB4\xCF\xB4\xD9.");
    EXPECT_EQ(std::string(kReportFileName), "ErrorInfo.txt");
}

TEST(TestTexts, FreshLogReadsErrorCheckThenTheHeader)
{
    EXPECT_EQ(std::string(kLogInitialText) + formatLogHeader(), "Error Check  -  10ms\r\n\r\n");
}

TEST(TestTexts, LogLineHasTheFixedLayout)
{
    EXPECT_EQ(formatLogLine(5, {13, 5, 9}, 2, 1, 0),
              " 0000000000000005 : 13\xBD\xC3 05\xBA\xD0 09\xC3\xCA - "
              "\xC0\xD4\xB7\xC2[2] : \xC3\xE2\xB7\xC2[2] = ON : OFF\r\n");
    EXPECT_EQ(formatLogLine(0xFFFFFFFFu, {0, 0, 0}, 0, 0, 1),
              " 00000000FFFFFFFF : 00\xBD\xC3 00\xBA\xD0 00\xC3\xCA - "
              "\xC0\xD4\xB7\xC2[0] : \xC3\xE2\xB7\xC2[0] = OFF : ON\r\n");
}

TEST(TestTexts, ReportHeaderIs33Bytes)
{
    EXPECT_EQ(formatReportHeader(0), "Count Data : 0000000000000000\r\n\r\n");
    EXPECT_EQ(formatReportHeader(0x1234ABCDu), "Count Data : 000000001234ABCD\r\n\r\n");
    EXPECT_EQ(formatReportHeader(0xFFFFFFFFu).size(), 33u);
}

TEST(TestTexts, TornEndWordsAreCodePage949)
{
    EXPECT_EQ(formatRecoveryMessage({}, {}, {{"a.txt", 700, ""}, {"b.txt", 0, kTornEndNotFound}}),
              "a.txt \xC6\xC4\xC0\xCF \xB3\xA1\xC0\xC7 \xBA\xD2\xBF\xCF\xC0\xFC\xC7\xD1 \xB1\xE2\xB7\xCF "
              "700\xB9\xD9\xC0\xCC\xC6\xAE(\xC0\xFC\xBF\xF8\xC0\xCC \xB2\xF7\xB1\xE2\xB4\xC2 \xB5\xEE\xC0\xB8\xB7\xCE "
              "\xB4\xD9 \xBE\xB2\xC1\xF6 \xB8\xF8\xC7\xD1 \xBA\xCE\xBA\xD0)\xB8\xA6 "
              "\xC0\xDF\xB6\xF3\xB3\xC2\xBD\xC0\xB4\xCF\xB4\xD9.\r\n\r\n"
              "b.txt \xC6\xC4\xC0\xCF \xB3\xA1\xC0\xC7 \xBA\xD2\xBF\xCF\xC0\xFC\xC7\xD1 "
              "\xB1\xE2\xB7\xCF\xC0\xBB \xC0\xDF\xB6\xF3\xB3\xBB\xC1\xF6 \xB8\xF8\xC7\xD8 \xB1\xD7\xB4\xEB\xB7\xCE "
              "\xB5\xCE\xBE\xFA\xBD\xC0\xB4\xCF\xB4\xD9.\r\n\xC0\xCC\xC0\xAF: "
              "\xC6\xC4\xC0\xCF\xC0\xC7 \xB8\xB6\xC1\xF6\xB8\xB7 128KB \xBE\xC8\xBF\xA1 \xBF\xC2\xC0\xFC\xC7\xD1 "
              "\xC1\xD9\xC0\xCC \xBE\xF8\xBE\xEE \xB0\xE1\xB0\xFA\xB0\xA1 \xBE\xEE\xB5\xF0\xBC\xAD "
              "\xB3\xA1\xB3\xAA\xB4\xC2\xC1\xF6 \xBE\xCB \xBC\xF6 \xBE\xF8\xBD\xC0\xB4\xCF\xB4\xD9.");
}
