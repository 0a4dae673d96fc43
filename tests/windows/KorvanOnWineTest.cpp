// korvan.exe as an engineer runs it on Windows: a process of its own, its
// output on pipes, against the simulated detector behind real COM ports
// (SimScenario.h). korvan writes UTF-8 whether its output is a console or a
// pipe; the C runtime turns "\n" into CR LF on the way.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <windows.h>

#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "Cp1251.h"
#include "KorvanCli.h"
#include "SimScenario.h"

namespace {

using namespace wine_sim;

// Long enough for a loaded machine running Wine; only a hung korvan waits
// this long.
constexpr DWORD kPatienceMs = 120000;

// korvan.exe, found from this test's own folder by the relative path the
// build computed (the build's absolute paths are the build machine's).
std::wstring KorvanExe()
{
    wchar_t self[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
    std::wstring path(self, n);
    path.erase(path.find_last_of(L"\\/") + 1);
    for (const char* c = KORVAN_EXE_FROM_TEST; *c != '\0'; ++c)
        path.push_back(*c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*c)));
    return path;
}

struct Outcome {
    bool started = false;
    bool ended = false; // within the patience; else it was killed
    DWORD exitCode = 0;
    std::string out;
    std::string err;
};

// Drains one pipe until the writer closes it.
void ReadAll(HANDLE pipe, std::string& into)
{
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0)
        into.append(buffer, got);
}

// Runs korvan.exe with `args` (ASCII), stdin empty, stdout and stderr on pipes
// read while it runs, so that neither fills and stalls it.
Outcome RunKorvan(const std::vector<std::string>& args)
{
    Outcome o;
    std::wstring commandLine = L"\"" + KorvanExe() + L"\"";
    for (const std::string& a : args)
        commandLine += L" \"" + std::wstring(a.begin(), a.end()) + L"\"";

    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    if (!CreatePipe(&outRead, &outWrite, &inherit, 0) || !CreatePipe(&errRead, &errWrite, &inherit, 0))
        return o;
    // Only the child's ends are inherited: a read end left in the child
    // would keep the pipe open after it ended.
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                             nullptr);

    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nul;
    si.hStdOutput = outWrite;
    si.hStdError = errWrite;
    PROCESS_INFORMATION pi{};
    o.started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                               nullptr, &si, &pi) != 0;
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    if (o.started) {
        std::thread outReader([&] { ReadAll(outRead, o.out); });
        std::thread errReader([&] { ReadAll(errRead, o.err); });
        o.ended = WaitForSingleObject(pi.hProcess, kPatienceMs) == WAIT_OBJECT_0;
        if (!o.ended) {
            TerminateProcess(pi.hProcess, 1000);
            WaitForSingleObject(pi.hProcess, INFINITE);
        }
        GetExitCodeProcess(pi.hProcess, &o.exitCode);
        outReader.join();
        errReader.join();
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(outRead);
    CloseHandle(errRead);
    return o;
}

// What the outcome was, for a failure message.
std::string Told(const Outcome& o)
{
    return "exit " + std::to_string(o.exitCode) + (o.ended ? "" : " (killed: no end)") + "\nstdout:\n" + o.out +
           "\nstderr:\n" + o.err;
}

class KorvanOnWine : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (GetFileAttributesW(KorvanExe().c_str()) == INVALID_FILE_ATTRIBUTES)
            GTEST_FAIL() << "korvan.exe not found next to the tests";
    }

    // The device and HART ports of the simulated detector.
    std::vector<std::string> WithPorts(std::vector<std::string> args) const
    {
        if (!PortsNamed())
            return args;
        for (const std::string& a :
             {std::string("--device-port"), std::to_string(DevicePort()), std::string("--hart-port"),
              std::to_string(HartPort())})
            args.push_back(a);
        return args;
    }
};

TEST_F(KorvanOnWine, HelpIsRussianAndNamesEveryCommand)
{
    const Outcome o = RunKorvan({"--help"});
    ASSERT_TRUE(o.started) << "korvan.exe did not start";
    ASSERT_EQ(o.exitCode, 0u) << Told(o);
    for (const char* word : {"Использование", "Команды", "Коды выхода", "ports", "info", "journal", "send", "read",
                             "write", "hart", "poll", "report"})
        EXPECT_NE(o.out.find(word), std::string::npos) << word << "\n" << Told(o);
}

TEST_F(KorvanOnWine, InfoGivesTheScenariosValues)
{
    ASSERT_TRUE(PortsNamed()) << kNoPorts;
    const Outcome text = RunKorvan(WithPorts({"info"}));
    ASSERT_EQ(text.exitCode, 0u) << Told(text);
    EXPECT_NE(text.out.find("Заводской номер"), std::string::npos) << Told(text);
    EXPECT_NE(text.out.find(kSerialNumber), std::string::npos) << Told(text);

    const Outcome o = RunKorvan(WithPorts({"info", "--json"}));
    ASSERT_EQ(o.exitCode, 0u) << Told(o);
    const nlohmann::json j = nlohmann::json::parse(o.out, nullptr, false);
    ASSERT_FALSE(j.is_discarded()) << Told(o);
    const nlohmann::json& sensor = j["sensor"];
    EXPECT_EQ(sensor["modbusId"], kModbusId);
    EXPECT_EQ(sensor["hartId"], kHartAddress);
    EXPECT_EQ(sensor["serialNumber"], kSerialNumber);
    EXPECT_EQ(sensor["calibrationDate"], kSensorCalibrationDate);
    EXPECT_EQ(sensor["sensorType"], kSensorType);
    EXPECT_EQ(sensor["units"], Cp1251::ToUtf8(kUnits)); // UTF-8 through the pipe
    EXPECT_EQ(sensor["v1"], kV1);
    const nlohmann::json& detector = j["detector"];
    EXPECT_EQ(detector["softwareIdentification"], kSoftwareId);
    EXPECT_EQ(detector["text8"], kDeviceText8);
    EXPECT_EQ(detector["analyteCode"], kDeviceAnalyte);
    EXPECT_EQ(detector["calibrationDate"], kSensorCalibrationDate);
    EXPECT_EQ(detector["threshold1"], kThreshold1);
    EXPECT_EQ(detector["threshold2"], kThreshold2);
    EXPECT_EQ(detector["soundMode"], kSoundMode);
    EXPECT_EQ(detector["ecoMode"], kEcoMode);
    const nlohmann::json& ring = detector["journalIndices"];
    EXPECT_EQ(ring["eventFirst"], kEventFirst);
    EXPECT_EQ(ring["eventLast"], kEventLast);
    EXPECT_EQ(ring["eventCapacity"], kEventCapacity);
    EXPECT_EQ(ring["thresholdFirst"], kThresholdFirst);
    EXPECT_EQ(ring["thresholdLast"], kThresholdLast);
    EXPECT_EQ(ring["thresholdCapacity"], kThresholdCapacity);
    const nlohmann::json& hart = j["hart"];
    ASSERT_TRUE(hart.is_object()) << Told(o);
    EXPECT_EQ(hart["pollingAddress"], kHartAddress);
    EXPECT_EQ(hart["uniqueId"], kUniqueIdText);
    EXPECT_EQ(hart["shortTag"], kTag);
    EXPECT_EQ(hart["descriptor"], kDescriptor);
    EXPECT_EQ(hart["date"], kDateText);
}

TEST_F(KorvanOnWine, PortThatLeadsNowhereIsExitTwo)
{
    // scripts/test-windows.sh keeps COM250 free.
    const Outcome o = RunKorvan({"info", "--device-port", "250"});
    ASSERT_TRUE(o.started) << "korvan.exe did not start";
    EXPECT_EQ(o.exitCode, static_cast<DWORD>(KorvanCli::kExitPort)) << Told(o);
    EXPECT_NE(o.err.find("COM250"), std::string::npos) << Told(o);
}

} // namespace
