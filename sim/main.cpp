// detector-sim: serves the simulated detector, HART device and multigas rack
// on pseudo-terminals linked as COM numbers, until SIGINT or SIGTERM.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include <pthread.h>
#include <signal.h>

#include "SimText.h"
#include "Simulator.h"

namespace {

void Usage(std::ostream& out)
{
    out << "Usage: detector-sim [options]\n"
           "Serves a simulated gas detector on pseudo-terminals linked as COM ports.\n"
           "\n"
           "  --ports-dir DIR       folder of the comN links (default $XDG_CONFIG_HOME/Korvan/ports,\n"
           "                        else ~/.config/Korvan/ports)\n"
           "  --device-port N       COM number of the device line (default 1)\n"
           "  --hart-port N         COM number of the HART modem line (default 2)\n"
           "  --multigas-port N     COM number of the multigas set switches (default 3)\n"
           "  --scenario FILE       scenario file (default: the built-in scenario)\n"
           "  --pace                send answers at the line's baud rate\n"
           "  --answer-delay MS     reaction time before every answer (default 0)\n"
           "  --fault TARGET=FAULT   arm a fault on the device line, e.g. '@RRIS=late 1500',\n"
           "                        'F4:2048=exception 11', '*=garbage'; may be repeated\n"
           "  --record FILE         write every request and answer to FILE, one line each\n"
           "                        (time, line, -> or <-, the text or the bytes in hex)\n"
           "  --help                show this text\n";
}

bool PortNumber(const std::string& text, int& out)
{
    long long v = 0;
    if (!SimText::ParseInt(text, v) || v < 1 || v > 255)
        return false;
    out = static_cast<int>(v);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    Simulator::Options options;
    options.devicePort = 1;
    options.hartPort = 2;
    options.multigasPort = 3;
    std::vector<std::string> faults;
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                std::cerr << "detector-sim: " << a << " needs a value\n";
                std::exit(2);
            }
            out = args[++i];
        };
        auto port = [&](std::optional<int>& out) {
            std::string v;
            value(v);
            int n = 0;
            if (!PortNumber(v, n)) {
                std::cerr << "detector-sim: " << a << ": bad COM number \"" << v << "\" (1 to 255)\n";
                std::exit(2);
            }
            out = n;
        };
        if (a == "--help" || a == "-h") {
            Usage(std::cout);
            return 0;
        } else if (a == "--ports-dir") {
            value(options.portsFolder);
        } else if (a == "--device-port") {
            port(options.devicePort);
        } else if (a == "--hart-port") {
            port(options.hartPort);
        } else if (a == "--multigas-port") {
            port(options.multigasPort);
        } else if (a == "--scenario") {
            value(options.scenarioFile);
        } else if (a == "--record") {
            value(options.recordFile);
        } else if (a == "--pace") {
            options.pace = true;
        } else if (a == "--answer-delay") {
            std::string v;
            value(v);
            long long ms = 0;
            if (!SimText::ParseInt(v, ms) || ms < 0 || ms > 600000) {
                std::cerr << "detector-sim: --answer-delay: bad delay \"" << v << "\"\n";
                return 2;
            }
            options.answerDelayMs = static_cast<unsigned>(ms);
        } else if (a == "--fault") {
            std::string v;
            value(v);
            faults.push_back(v);
        } else {
            std::cerr << "detector-sim: unknown option \"" << a << "\"\n";
            Usage(std::cerr);
            return 2;
        }
    }
    const std::optional<int>* ports[] = {&options.devicePort, &options.hartPort, &options.multigasPort};
    for (int i = 0; i < 3; ++i)
        for (int j = i + 1; j < 3; ++j)
            if (**ports[i] == **ports[j]) {
                std::cerr << "detector-sim: two lines on COM" << **ports[i] << "\n";
                return 2;
            }

    // The lines' threads inherit this mask, so the signals reach sigwait.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        Simulator sim(options);
        for (const std::string& f : faults) {
            const std::size_t eq = f.find('=');
            const std::string error = eq == std::string::npos ? "expected TARGET=FAULT" : sim.ArmFault(f.substr(0, eq), f.substr(eq + 1));
            if (!error.empty()) {
                std::cerr << "detector-sim: --fault " << f << ": " << error << "\n";
                return 2;
            }
        }
        for (const std::string& n : sim.Notes())
            std::cerr << "detector-sim: " << n << "\n";
        sim.Start();
        const auto& d = sim.Detector();
        std::cout << "COM" << *options.devicePort << "  device line (9600 8N1): " << sim.DevicePty() << " <- "
                  << sim.DeviceLink() << "\n"
                  << "      sensor " << d.SensorType() << ", Modbus unit " << int(d.UnitAddress()) << "\n";
        if (sim.HartLine() != nullptr)
            std::cout << "COM" << *options.hartPort << "  HART line (1200 8O1):   " << sim.HartPty() << " <- "
                      << sim.HartLink() << "\n";
        else
            std::cout << "COM" << *options.hartPort << "  HART line: not served (this build has no HART device)\n";
        std::cout << "COM" << *options.multigasPort << "  multigas line (9600 8N1): " << sim.MultigasPty() << " <- "
                  << sim.MultigasLink() << "\n"
                  << "      " << sim.Multigas().SetCount() << " sets, unit addresses 1 to " << sim.Multigas().SetCount()
                  << "\n";
        if (options.pace)
            std::cout << "Answers paced at the line rate.\n";
        if (!options.recordFile.empty())
            std::cout << "Requests and answers recorded in " << options.recordFile << ".\n";
        std::cout << "Serving; stop with Ctrl+C." << std::endl;
        int sig = 0;
        sigwait(&stopSignals, &sig);
        std::cout << "Stopping." << std::endl;
    } catch (const std::exception& e) {
        std::cerr << "detector-sim: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
