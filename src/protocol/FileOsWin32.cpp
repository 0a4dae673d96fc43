#include "FileOs.h"

#include <cerrno>
#include <filesystem>
#include <io.h>
#include <share.h>
#include <windows.h>

namespace {

std::filesystem::path FromUtf8(const std::string& utf8Path)
{
    return std::filesystem::path(std::u8string(utf8Path.begin(), utf8Path.end()));
}

} // namespace

std::FILE* OpenMeasurementFileExclusive(const std::string& utf8Path)
{
    const std::filesystem::path path = FromUtf8(utf8Path);
    // Binary: the lines carry their own CR LF.
    return ::_wfsopen(path.c_str(), L"wb", _SH_DENYWR);
}

bool CurrentLocalTime(std::tm& out)
{
    const std::time_t now = std::time(nullptr);
    return now != static_cast<std::time_t>(-1) && ::localtime_s(&out, &now) == 0;
}

bool FileOs::Truncate(std::FILE* file, std::uint64_t length)
{
    if (file == nullptr || std::fflush(file) != 0)
        return false;
    const int fd = ::_fileno(file);
    const auto at = static_cast<long long>(length);
    return fd >= 0 && ::_chsize_s(fd, at) == 0 && ::_fseeki64(file, at, SEEK_SET) == 0;
}

bool IsOrdinaryFile(const std::string& utf8Path)
{
    const DWORD attributes = ::GetFileAttributesW(FromUtf8(utf8Path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) == 0;
}

bool SyncFileToDisk(std::FILE* file)
{
    if (file == nullptr || std::fflush(file) != 0)
        return false;
    const int fd = ::_fileno(file);
    return fd >= 0 && ::_commit(fd) == 0;
}

bool MoveFileOver(const std::string& fromUtf8, const std::string& toUtf8, int& error)
{
    error = 0;
    // A writer of this program opens its file without letting others delete
    // it, so the file is not replaced from under it: the move is refused.
    if (::MoveFileExW(FromUtf8(fromUtf8).c_str(), FromUtf8(toUtf8).c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    switch (::GetLastError()) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        error = EBUSY;
        break;
    case ERROR_ACCESS_DENIED:
        error = EACCES;
        break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        error = ENOSPC;
        break;
    default:
        error = EIO;
        break;
    }
    return false;
}

void RemoveFileQuietly(const std::string& utf8Path)
{
    ::_wremove(FromUtf8(utf8Path).c_str());
}
