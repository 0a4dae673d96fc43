#include "FileOs.h"

std::FILE* FileOs::OpenExclusive(const std::string& utf8Path)
{
    std::FILE* file = OpenMeasurementFileExclusive(utf8Path);
    // Unbuffered: a line that does not fit the disk is known at once, and
    // the count fwrite returns is what the file really holds.
    if (file != nullptr)
        std::setvbuf(file, nullptr, _IONBF, 0);
    return file;
}

std::size_t FileOs::Write(std::FILE* file, const char* data, std::size_t size)
{
    if (file == nullptr)
        return 0;
    const std::size_t written = std::fwrite(data, 1, size, file);
    if (std::fflush(file) != 0 || std::ferror(file) != 0) {
        // How much of it the disk kept is not known: the caller cuts back.
        std::clearerr(file);
        return written < size ? written : 0;
    }
    return written;
}

void FileOs::Close(std::FILE* file)
{
    if (file != nullptr)
        std::fclose(file);
}

FileOs& FileOs::System()
{
    static FileOs os;
    return os;
}
