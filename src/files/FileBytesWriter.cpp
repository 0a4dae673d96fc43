#include "FileBytesWriter.h"

#include <cerrno>
#include <cstring>

#include "MeasurementFileOs.h"

namespace {

FileWriteResult Failure(FileWriteResult::Code code, int error, const char* step)
{
    FileWriteResult r;
    r.code = code;
    r.error = step;
    r.error += ": ";
    r.error += error != 0 ? std::strerror(error) : "unknown error";
    return r;
}

} // namespace

FileWriteResult WriteFileBytes(const std::string& utf8Path, std::string_view bytes, FileOpener open)
{
    if (open == nullptr)
        open = &OpenMeasurementFileExclusive;
    errno = 0;
    std::FILE* file = open(utf8Path);
    if (file == nullptr)
        return Failure(FileWriteResult::kCannotCreate, errno, "cannot create the file");

    // The stream buffers: a full disk may show only at the flush or at the
    // close, so each of them is checked as well as the write.
    errno = 0;
    const std::size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), file);
    int error = errno;
    bool ok = written == bytes.size();
    if (ok) {
        errno = 0;
        ok = std::fflush(file) == 0 && std::ferror(file) == 0;
        error = errno;
    }
    errno = 0;
    const bool closed = std::fclose(file) == 0;
    if (ok && !closed) {
        ok = false;
        error = errno;
    }
    if (!ok)
        return Failure(FileWriteResult::kWriteFailed, error, "cannot write the file");
    return {};
}
