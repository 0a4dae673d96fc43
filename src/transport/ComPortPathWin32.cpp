#include "ComPortPath.h"

#include <cstdio>

#include <windows.h>

std::string ComPortFolder()
{
    return {};
}

bool ComPortIsLinked(int)
{
    return false;
}

std::string ComPortPath(int portNumber)
{
    char name[32];
    std::snprintf(name, sizeof name, "\\\\.\\COM%d", portNumber);
    return name;
}

bool ComPathPresent(const std::string& path)
{
    // The system's list of DOS device names holds "COMn" only while the
    // port's driver is loaded: a pulled USB adapter takes its name with it.
    const std::string prefix = "\\\\.\\";
    const std::string name = path.rfind(prefix, 0) == 0 ? path.substr(prefix.size()) : path;
    if (name.empty())
        return false;
    char target[1024];
    return QueryDosDeviceA(name.c_str(), target, sizeof target) != 0;
}

std::string ComPortTarget(int portNumber)
{
    return portNumber >= 1 ? "COM" + std::to_string(portNumber) : std::string();
}
