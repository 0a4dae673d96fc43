#include "ComPortPath.h"

#include <cstdio>

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
