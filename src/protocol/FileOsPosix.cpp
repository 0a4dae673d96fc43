#include "FileOs.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

std::FILE* OpenMeasurementFileExclusive(const std::string& utf8Path)
{
    const int fd = ::open(utf8Path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    // Truncate only once the lock is ours, so a second writer cannot wipe
    // the lines of the one already logging there. Only a regular file has a
    // length to cut; a device or a pipe is written as it is.
    struct stat info {};
    const bool ok = ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &info) == 0 &&
                    (!S_ISREG(info.st_mode) || ::ftruncate(fd, 0) == 0);
    if (!ok) {
        ::close(fd);
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr)
        ::close(fd);
    return file;
}

bool CurrentLocalTime(std::tm& out)
{
    const std::time_t now = std::time(nullptr);
    return now != static_cast<std::time_t>(-1) && ::localtime_r(&now, &out) != nullptr;
}

bool FileOs::Truncate(std::FILE* file, std::uint64_t length)
{
    if (file == nullptr || std::fflush(file) != 0)
        return false;
    const int fd = ::fileno(file);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    const auto at = static_cast<off_t>(length);
    return ::ftruncate(fd, at) == 0 && ::fseeko(file, at, SEEK_SET) == 0;
}

bool IsOrdinaryFile(const std::string& utf8Path)
{
    struct stat info {};
    return ::lstat(utf8Path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool SyncFileToDisk(std::FILE* file)
{
    if (file == nullptr || std::fflush(file) != 0)
        return false;
    const int fd = ::fileno(file);
    return fd >= 0 && ::fsync(fd) == 0;
}

bool MoveFileOver(const std::string& fromUtf8, const std::string& toUtf8, int& error)
{
    error = 0;
    // The old file is opened for writing, as a save straight into it would
    // be: one the user may not write to is not replaced. The lock a writer
    // of this program holds on it (flock, taken by
    // OpenMeasurementFileExclusive) is asked for too, and kept until the new
    // file has taken the old one's place.
    const int fd = ::open(toUtf8.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0 && errno != ENOENT) {
        error = errno;
        return false;
    }
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        return false;
    }
    const bool moved = std::rename(fromUtf8.c_str(), toUtf8.c_str()) == 0;
    if (!moved)
        error = errno;
    if (fd >= 0)
        ::close(fd);
    return moved;
}

void RemoveFileQuietly(const std::string& utf8Path)
{
    ::unlink(utf8Path.c_str());
}
