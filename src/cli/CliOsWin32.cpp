#include "CliOs.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <io.h>
#include <sstream>
#include <thread>

namespace {

std::atomic<bool> g_interrupted{false};
HANDLE g_wake = nullptr;
std::atomic<bool> g_enter{false};
std::atomic<bool> g_stdinEnded{false};
std::atomic<bool> g_readerStarted{false};

BOOL WINAPI OnConsoleControl(DWORD type)
{
    switch (type) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
        g_interrupted = true;
        if (g_wake != nullptr)
            SetEvent(g_wake);
        return TRUE;
    default:
        return FALSE;
    }
}

std::wstring Wide(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    return w;
}

std::string Narrow(const std::wstring& w)
{
    if (w.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

} // namespace

namespace CliOs {

void PrepareConsole()
{
    SetConsoleOutputCP(CP_UTF8);
}

void InstallInterruptHandlers()
{
    if (g_wake == nullptr)
        g_wake = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

bool Interrupted()
{
    return g_interrupted.load();
}

void ResetInterrupted()
{
    g_interrupted = false;
    if (g_wake != nullptr)
        ResetEvent(g_wake);
}

bool WaitForEnterOrInterrupt(int timeoutMs)
{
    // The console input is read by a thread of its own that only sets a
    // flag and the wake event; the main thread keeps every engine call. It
    // reads the handle itself, not through the C runtime: a thread blocked in
    // getchar() holds the stdin lock, and the runtime's exit waits for that
    // lock when it flushes the streams, so the tool would never end.
    if (!g_readerStarted.exchange(true)) {
        std::thread([] {
            const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
            char buffer[256];
            for (;;) {
                DWORD got = 0;
                if (in == nullptr || in == INVALID_HANDLE_VALUE ||
                    !ReadFile(in, buffer, sizeof buffer, &got, nullptr) || got == 0) {
                    g_stdinEnded = true;
                    return;
                }
                for (DWORD i = 0; i < got; ++i) {
                    if (buffer[i] == '\n') {
                        g_enter = true;
                        if (g_wake != nullptr)
                            SetEvent(g_wake);
                    }
                }
            }
        }).detach();
    }
    const DWORD wait = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
    const ULONGLONG end = GetTickCount64() + wait;
    for (;;) {
        if (g_interrupted.load())
            return false;
        if (g_enter.exchange(false))
            return true;
        DWORD slice = wait;
        if (timeoutMs >= 0) {
            const ULONGLONG now = GetTickCount64();
            if (now >= end)
                return false;
            slice = static_cast<DWORD>(end - now);
        }
        WaitForSingleObject(g_wake, slice);
        if (!g_interrupted.load())
            ResetEvent(g_wake);
    }
}

bool StderrIsTerminal()
{
    return _isatty(_fileno(stderr)) != 0;
}

std::string SettingsLocation()
{
    return "HKEY_CURRENT_USER\\Software\\Korvan\\KorvanSensorSetup";
}

std::string StoredSetting(const std::string& section, const std::string& key)
{
    const std::wstring path = L"Software\\Korvan\\KorvanSensorSetup\\" + Wide(section);
    HKEY hkey = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &hkey) != ERROR_SUCCESS)
        return {};
    DWORD type = 0;
    BYTE data[1024];
    DWORD size = sizeof data;
    std::string out;
    if (RegQueryValueExW(hkey, Wide(key).c_str(), nullptr, &type, data, &size) == ERROR_SUCCESS) {
        if (type == REG_DWORD && size == sizeof(DWORD))
            out = std::to_string(*reinterpret_cast<DWORD*>(data));
        else if (type == REG_SZ || type == REG_EXPAND_SZ)
            out = Narrow(std::wstring(reinterpret_cast<wchar_t*>(data), size / sizeof(wchar_t)).c_str());
    }
    RegCloseKey(hkey);
    return out;
}

std::vector<std::string> SerialPortsFound()
{
    std::vector<std::string> out;
    wchar_t target[512];
    for (int n = 1; n <= 256; ++n) {
        const std::wstring name = L"COM" + std::to_wstring(n);
        if (QueryDosDeviceW(name.c_str(), target, 512) != 0)
            out.push_back("COM" + std::to_string(n));
    }
    return out;
}

bool ReadWholeFile(const std::string& utf8Path, std::string& out)
{
    std::ifstream in(std::filesystem::path(Wide(utf8Path)), std::ios::binary);
    if (!in)
        return false;
    std::ostringstream s;
    s << in.rdbuf();
    out = s.str();
    return true;
}

bool MakeFolder(const std::string& utf8Path)
{
    std::wstring w = Wide(utf8Path);
    for (std::size_t i = 1; i < w.size(); ++i) {
        if (w[i] == L'\\' || w[i] == L'/')
            CreateDirectoryW(w.substr(0, i).c_str(), nullptr);
    }
    CreateDirectoryW(w.c_str(), nullptr);
    const DWORD a = GetFileAttributesW(w.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace CliOs
