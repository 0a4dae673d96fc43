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

// Writes the bytes and closes the file; with `sync`, the bytes are on the
// disk itself before the close.
FileWriteResult WriteAndClose(std::FILE* file, std::string_view bytes, bool sync)
{
    // The stream buffers: a full disk may show only at the flush or at the
    // close, so each of them is checked as well as the write.
    errno = 0;
    const std::size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), file);
    int error = errno;
    bool ok = written == bytes.size();
    if (ok) {
        errno = 0;
        ok = std::fflush(file) == 0 && std::ferror(file) == 0 && (!sync || SyncFileToDisk(file));
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

} // namespace

FileWriteResult WriteFileBytes(const std::string& utf8Path, std::string_view bytes, FileOpener open)
{
    if (open == nullptr)
        open = &OpenMeasurementFileExclusive;
    // An ordinary file that is there already keeps its bytes until the new
    // ones are all on the disk: they go to a file beside it first, which
    // then takes its place. Where that file cannot be made (a folder the
    // user may not write to, only the file), and for a new file, a link or a
    // device, the bytes go straight to the path.
    if (IsOrdinaryFile(utf8Path)) {
        const std::string partial = utf8Path + kPartialSuffix;
        if (std::FILE* file = open(partial)) {
            FileWriteResult r = WriteAndClose(file, bytes, true);
            if (r.Ok()) {
                int error = 0;
                if (MoveFileOver(partial, utf8Path, error))
                    return {};
                r = Failure(FileWriteResult::kCannotCreate, error, "cannot replace the file");
            }
            RemoveFileQuietly(partial);
            return r;
        }
    }
    errno = 0;
    std::FILE* file = open(utf8Path);
    if (file == nullptr)
        return Failure(FileWriteResult::kCannotCreate, errno, "cannot create the file");
    return WriteAndClose(file, bytes, false);
}
