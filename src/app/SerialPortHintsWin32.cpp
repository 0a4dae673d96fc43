#include "SerialPortHints.h"

#include <windows.h>

#include <QSettings>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "ComPortPath.h"

namespace SerialPortHints {

std::vector<std::string> FoundPorts()
{
    // The system lists the COM names of its serial ports here.
    QSettings map(QStringLiteral("HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM"), QSettings::NativeFormat);
    std::vector<std::string> out;
    for (const QString& key : map.allKeys())
        out.push_back(map.value(key).toString().toStdString());
    std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
        const int na = std::atoi(a.c_str() + std::min<std::size_t>(3, a.size()));
        const int nb = std::atoi(b.c_str() + std::min<std::size_t>(3, b.size()));
        return na != nb ? na < nb : a < b;
    });
    return out;
}

std::vector<PortLink> PortLinks()
{
    return {};
}

PortTarget TargetOf(int number)
{
    PortTarget t;
    if (number < 1)
        return t;
    t.path = "COM" + std::to_string(number);
    const std::vector<std::string> found = FoundPorts();
    t.exists = std::find(found.begin(), found.end(), t.path) != found.end();
    // Not every port is in the system's list: virtual port drivers and
    // ports made after start-up (Wine's links to Linux devices among them)
    // only have their DOS device name.
    if (!t.exists) {
        wchar_t target[1024];
        const std::wstring name = L"COM" + std::to_wstring(number);
        t.exists = QueryDosDeviceW(name.c_str(), target, static_cast<DWORD>(std::size(target))) != 0;
    }
    return t;
}

} // namespace SerialPortHints
