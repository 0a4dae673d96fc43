// What the calibration page costs while it polls: the tool's main window on
// the calibration page, polling a paced simulated sensor every 100 ms for a
// minute under the offscreen platform. The simulator runs as a process of
// its own, so the CPU time read here (user + system of this process) is the
// tool's alone: the user interface, the line worker and the graph.
//
//   build/bench/calibration_poll_bench [seconds] [path of detector-sim]
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSettings>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AppContext.h"
#include "CDlgTabCtrl.h"
#include "CKorvanSensorSetupApp.h"
#include "CKorvanSensorSetupDlg.h"
#include "CalibrationDialog.h"
#include "Engine.h"
#include "Settings.h"

namespace {

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Resident memory in kB, from the kernel's account of this process.
long ResidentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

bool RunUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        usleep(2000);
    }
    return true;
}

// The event loop for `ms`, asleep between events as the program's own is.
void RunFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    const std::string sim = argc > 2 ? argv[2] : "build/sim/detector-sim";
    QTemporaryDir home;
    if (!home.isValid())
        return 2;
    ::setenv("XDG_CONFIG_HOME", home.path().toLocal8Bit().constData(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string ports = home.path().toStdString() + "/Korvan/ports";
    QDir().mkpath(QString::fromStdString(ports));

    const pid_t child = fork();
    if (child == 0) {
        execl(sim.c_str(), sim.c_str(), "--ports-dir", ports.c_str(), "--device-port", "1", "--hart-port", "2",
              "--multigas-port", "3", "--pace", static_cast<char*>(nullptr));
        std::perror("detector-sim");
        _exit(127);
    }
    int rc = 1;
    {
        CKorvanSensorSetupApp app(argc, argv);
        app.setOrganizationName(QStringLiteral("Korvan"));
        app.setApplicationName(QStringLiteral("KorvanSensorSetup"));
        if (!RunUntil([&] { return QFileInfo::exists(QString::fromStdString(ports + "/com1")); }, 10000)) {
            std::fprintf(stderr, "the simulator did not bring its lines up\n");
        } else {
            QSettings s(QStringLiteral("Korvan"), QStringLiteral("KorvanSensorSetup"));
            s.setValue("Connection/ModbusPort", 1);
            s.setValue("Connection/HartPort", 2);
            s.setValue("Connection/MgPort", 3);
            s.sync();
            auto context = std::make_unique<AppContext>();
            Settings::LoadConnection();
            Settings::LoadWords();
            auto window = std::make_unique<CKorvanSensorSetupDlg>(*context);
            app.SetMainWindow(window.get());
            window->show();
            Engine& engine = context->engine;
            if (!RunUntil([&] { return engine.mode == Engine::kModeConnected; }, 60000)) {
                std::fprintf(stderr, "no connection to the simulator\n");
            } else {
                window->TabCtrl()->setCurrentIndex(CDlgTabCtrl::kCalibrationPage);
                auto* page = static_cast<CalibrationDialog*>(window->TabCtrl()->Page(CDlgTabCtrl::kCalibrationPage));
                RunUntil([&] { return engine.mode == Engine::kModeCalibrationPolling; }, 60000);
                page->PollPeriodList()->setCurrentIndex(0); // 100 мс
                page->ApplyPollSettings();
                RunFor(2000); // the first points and the graph's first scale
                const double cpu0 = CpuSeconds();
                QElapsedTimer wall;
                wall.start();
                RunFor(10000);
                const long rss10 = ResidentKb();
                RunFor(std::max(0, seconds * 1000 - 10000));
                const double elapsed = wall.elapsed() / 1000.0;
                const double cpu = CpuSeconds() - cpu0;
                const long rssEnd = ResidentKb();
                std::vector<SensorCalibrationLoopMeasurementsPoint> points;
                engine.CopyMeasurements(1000, points);
                std::printf("calibration poll at 100 ms for %.1f s (paced simulator, offscreen):\n", elapsed);
                std::printf("  CPU (user+system) %.3f s = %.2f %% of one core (goal <= 2 %%)\n", cpu,
                            100.0 * cpu / elapsed);
                std::printf("  resident memory %ld kB at 10 s, %ld kB at %.0f s (growth %ld kB)\n", rss10, rssEnd,
                            elapsed, rssEnd - rss10);
                std::printf("  points in the measurement list: %zu (bound 1000)\n", points.size());
                rc = 0;
            }
            window.reset();
        }
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    return rc;
}
