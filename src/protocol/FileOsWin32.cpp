#include "FileOs.h"

#include <filesystem>
#include <io.h>
#include <share.h>

std::FILE* OpenMeasurementFileExclusive(const std::string& utf8Path)
{
    const std::u8string u8(utf8Path.begin(), utf8Path.end());
    const std::filesystem::path path(u8);
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
