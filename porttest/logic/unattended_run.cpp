#include "unattended_run.h"

#include "program_texts.h"

namespace zorik {

const char* UnattendedRun::reportName() const
{
    return m_options.reportFile.empty() ? kReportFileName : m_options.reportFile.c_str();
}

} // namespace zorik
