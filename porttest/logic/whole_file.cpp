#include "whole_file.h"

namespace zorik {

std::string temporaryNameFor(const std::string& name)
{
    // Beside it, in the same folder: a move within one volume is a rename.
    return name + ".tmp";
}

bool writeWholeFile(WholeFileSystem& files, const std::string& name, const std::string& bytes)
{
    const std::string temporary = temporaryNameFor(name);
    std::unique_ptr<ReportFile> file = files.create(temporary);
    if (!file)
        return false;
    const bool written = file->write(bytes.data(), bytes.size());
    // Closed even after a failed write; closing puts the bytes on the disk,
    // before the name points at them.
    const bool closed = file->close();
    if (written && closed && files.replace(temporary, name).done())
        return true;
    files.remove(temporary);
    return false;
}

} // namespace zorik
