#include "FileOs.h"

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
