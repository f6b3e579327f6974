// The report file's bytes, and that every way of failing to write it is
// reported as failure.
#include "report_file.h"
#include "stdio_report_file.h"
#include "program_texts.h"
#include "whole_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

using namespace zorik;

namespace {

const std::string kFreshLog = "Error Check  -  10ms\r\n\r\n";

// One disagreement line, channel 1 of cycle 0x2A at 09:08:07, already in
// code page 949.
const std::string kLine = " 000000000000002A : 09\xBD\xC3 08\xBA\xD0 07\xC3\xCA - "
                          "\xC0\xD4\xB7\xC2[1] : \xC3\xE2\xB7\xC2[1] = OFF : ON\r\n";
const std::string kLineOnDisk = " 000000000000002A : 09\xBD\xC3 08\xBA\xD0 07\xC3\xCA - "
                                "\xC0\xD4\xB7\xC2[1] : \xC3\xE2\xB7\xC2[1] = OFF : ON\r\r\n";

enum class FailAt { Nothing, Open, Write, Close };

class FakeFileSystem : public ReportFileSystem {
public:
    explicit FakeFileSystem(FailAt failAt = FailAt::Nothing) : m_failAt(failAt) {}

    std::unique_ptr<ReportFile> create(const std::string& name) override
    {
        opened.push_back(name);
        if (m_failAt == FailAt::Open)
            return nullptr;
        return std::make_unique<File>(*this);
    }

    std::vector<std::string> opened;
    std::string bytes;
    int closes = 0;

private:
    class File : public ReportFile {
    public:
        explicit File(FakeFileSystem& files) : m_files(files) {}
        bool write(const char* data, std::size_t size) override
        {
            if (m_files.m_failAt == FailAt::Write)
                return false;
            m_files.bytes.append(data, size);
            return true;
        }
        bool close() override
        {
            ++m_files.closes;
            return m_files.m_failAt != FailAt::Close;
        }

    private:
        FakeFileSystem& m_files;
    };

    FailAt m_failAt;
};

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(TextMode, EveryLineFeedGainsACarriageReturn)
{
    EXPECT_EQ(toTextMode("a\nb\r\n\n\r"), "a\r\nb\r\r\n\r\n\r");
    EXPECT_EQ(toTextMode(""), "");
}

TEST(ReportBytes, BeforeAnyTestHoldsZeroCountAndTheLogHeader)
{
    const std::string bytes = reportFileBytes({0, kFreshLog});
    EXPECT_EQ(bytes, "Count Data : 0000000000000000\r\r\n\r\r\n"
                     "Error Check  -  10ms\r\r\n\r\r\n");
    EXPECT_EQ(bytes.find("Error Check"), 35u);
}

TEST(ReportBytes, DisagreementLinesEndInCrCrLf)
{
    EXPECT_EQ(reportFileBytes({0x2B, kFreshLog + kLine + kLine}),
              "Count Data : 000000000000002B\r\r\n\r\r\n"
              "Error Check  -  10ms\r\r\n\r\r\n" + kLineOnDisk + kLineOnDisk);
}

TEST(SaveErrorReport, WritesHeaderThenLogToErrorInfoTxt)
{
    FakeFileSystem files;
    const ReportSnapshot snapshot{7, kFreshLog + kLine};

    EXPECT_TRUE(saveErrorReport(snapshot, files));
    EXPECT_EQ(files.opened, std::vector<std::string>{"ErrorInfo.txt"});
    EXPECT_EQ(files.bytes, reportFileBytes(snapshot));
    EXPECT_EQ(files.closes, 1);
}

TEST(SaveErrorReport, EveryFailureIsReported)
{
    for (FailAt failAt : {FailAt::Open, FailAt::Write, FailAt::Close}) {
        FakeFileSystem files(failAt);
        EXPECT_FALSE(saveErrorReport({1, kFreshLog}, files)) << static_cast<int>(failAt);
        if (failAt != FailAt::Open) {
            EXPECT_EQ(files.closes, 1) << "a file is closed even after a failed write";
        }
    }
}

class StdioReportFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_path = std::filesystem::temp_directory_path()
                 / (std::string("zorik_report_") + info->name() + ".txt");
        std::filesystem::remove(m_path);
    }
    void TearDown() override { std::filesystem::remove(m_path); }

    std::filesystem::path m_path;
};

TEST_F(StdioReportFileTest, WritesTheBytesUnchangedAndTruncates)
{
    {
        std::ofstream old(m_path, std::ios::binary);
        old << std::string(500, 'x');
    }
    StdioReportFileSystem files;
    auto file = files.create(m_path.string());
    ASSERT_TRUE(file);
    const std::string bytes = reportFileBytes({3, kFreshLog + kLine});
    EXPECT_TRUE(file->write(bytes.data(), bytes.size()));
    EXPECT_TRUE(file->close());

    EXPECT_EQ(readFile(m_path), bytes);
}

TEST_F(StdioReportFileTest, OpenFailureGivesNoFile)
{
    StdioReportFileSystem files;
    EXPECT_FALSE(files.create((m_path / "no" / "such" / "folder.txt").string()));
}

TEST(StdioReportFile, FullDiskIsReported)
{
    StdioReportFileSystem files;
    auto file = files.create("/dev/full");
    if (!file)
        GTEST_SKIP() << "no /dev/full here";
    const std::string bytes(1000, 'x');
    const bool written = file->write(bytes.data(), bytes.size());
    const bool closed = file->close();
    EXPECT_FALSE(written && closed);
}

namespace {

// A disk that the program is killed on at its `killAt`th step: creating a
// file, each half of a write, the flush on closing, a move. What the disk
// holds afterwards is what a reader would find.
class KilledDisk : public WholeFileSystem {
public:
    struct Killed {};

    explicit KilledDisk(int killAt) : m_killAt(killAt) {}

    std::unique_ptr<ReportFile> create(const std::string& name) override
    {
        step();
        files[name].clear();
        return std::make_unique<File>(*this, name);
    }
    FileResult replace(const std::string& from, const std::string& to) override
    {
        step();
        files[to] = files[from];
        files.erase(from);
        return {};
    }
    FileResult remove(const std::string& name) override
    {
        return files.erase(name) != 0 ? FileResult{} : FileResult{FileStatus::Missing, 2};
    }

    std::map<std::string, std::string> files;
    int steps = 0;
    bool failClose = false; // the flush on closing fails (removed media, a full disk)

private:
    void step()
    {
        if (++steps == m_killAt)
            throw Killed{};
    }

    class File : public ReportFile {
    public:
        File(KilledDisk& disk, std::string name) : m_disk(disk), m_name(std::move(name)) {}
        bool write(const char* data, std::size_t size) override
        {
            m_disk.files[m_name].append(data, size / 2);
            m_disk.step();
            m_disk.files[m_name].append(data + size / 2, size - size / 2);
            m_disk.step();
            return true;
        }
        bool close() override
        {
            m_disk.step();
            return !m_disk.failClose;
        }

    private:
        KilledDisk& m_disk;
        std::string m_name;
    };

    int m_killAt;
};

} // namespace

// Killed at any step of writing the result file, a reader finds the file
// as it was (none, or the earlier whole one) or the new one whole.
TEST(WholeFile, AKillWhileWritingLeavesNoHalfFile)
{
    const std::string name = "C:\\Results\\unit.ini";
    const std::string bytes = "[Result]\r\nVerdict=FAIL\r\nEnded=bound\r\n";
    const struct {
        const char* before; // nullptr: no file
    } rows[] = {{nullptr}, {"[Result]\r\nVerdict=PASS\r\n"}};
    // Unkilled, the steps are counted: create, two halves, flush, move.
    KilledDisk counting(0);
    ASSERT_TRUE(writeWholeFile(counting, name, bytes));
    EXPECT_EQ(counting.files, (std::map<std::string, std::string>{{name, bytes}}));
    ASSERT_EQ(counting.steps, 5);
    for (const auto& row : rows) {
        for (int killAt = 1; killAt <= counting.steps; ++killAt) {
            SCOPED_TRACE(std::string(row.before ? "a file before" : "no file before") + ", killed at step " +
                         std::to_string(killAt));
            KilledDisk disk(killAt);
            if (row.before)
                disk.files[name] = row.before;
            EXPECT_THROW(writeWholeFile(disk, name, bytes), KilledDisk::Killed);
            const auto found = disk.files.find(name);
            if (found == disk.files.end())
                EXPECT_EQ(row.before, nullptr) << "the earlier file vanished";
            else
                EXPECT_TRUE(found->second == bytes || (row.before && found->second == row.before)) << found->second;
        }
        // A close that fails (its flush did not reach the disk) puts
        // nothing in place: the bytes may not be there.
        SCOPED_TRACE(row.before ? "a file before, its close failing" : "no file before, its close failing");
        KilledDisk failing(0);
        failing.failClose = true;
        if (row.before)
            failing.files[name] = row.before;
        EXPECT_FALSE(writeWholeFile(failing, name, bytes));
        using Files = std::map<std::string, std::string>;
        const Files expected = row.before ? Files{{name, row.before}} : Files{};
        EXPECT_EQ(failing.files, expected);
    }
}
