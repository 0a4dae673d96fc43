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
    if (t.exists)
        return t;
    // Not every port is in the system's list: virtual port drivers have only
    // their DOS device name, and Wine knows ports linked after its start
    // (its links to Linux devices) only when they are opened.
    const std::wstring name = L"COM" + std::to_wstring(number);
    wchar_t target[1024];
    if (QueryDosDeviceW(name.c_str(), target, static_cast<DWORD>(std::size(target))) != 0) {
        t.exists = true;
        return t;
    }
    // An open without read or write access asks for the device only; a port
    // that another program holds refuses it, but is there.
    const std::wstring device = L"\\\\.\\" + name;
    const HANDLE h = CreateFileW(device.c_str(), 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        t.exists = true;
    } else {
        const DWORD error = GetLastError();
        t.exists = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
    }
    return t;
}

} // namespace SerialPortHints
