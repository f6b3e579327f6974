#include "stdio_report_file.h"

#include <cstdio>

namespace zorik {

namespace {

class StdioReportFile : public ReportFile {
public:
    explicit StdioReportFile(std::FILE* file) : m_file(file) {}
    ~StdioReportFile() override
    {
        if (m_file)
            std::fclose(m_file);
    }
    StdioReportFile(const StdioReportFile&) = delete;
    StdioReportFile& operator=(const StdioReportFile&) = delete;

    bool write(const char* data, std::size_t size) override
    {
        if (!m_file)
            return false;
        return size == 0 || std::fwrite(data, 1, size, m_file) == size;
    }

    bool close() override
    {
        if (!m_file)
            return false;
        // A full disk often shows only when the buffer is flushed.
        const bool flushed = std::fflush(m_file) == 0;
        const bool closed = std::fclose(m_file) == 0;
        m_file = nullptr;
        return flushed && closed;
    }

private:
    std::FILE* m_file;
};

} // namespace

std::unique_ptr<ReportFile> StdioReportFileSystem::create(const std::string& name)
{
    // Binary: the text-mode translation is done before writing, the same
    // way on every platform.
    std::FILE* file = std::fopen(name.c_str(), "wb");
    if (!file)
        return nullptr;
    return std::make_unique<StdioReportFile>(file);
}

} // namespace zorik
