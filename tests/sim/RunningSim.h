#pragma once

#include <memory>
#include <string>

#include "SimLineClient.h"
#include "Simulator.h"
#include "TestPorts.h"

// A simulator started in-process on COM1 (device), COM2 (HART) and COM3
// (multigas) of a temporary config folder, with clients made on demand.
struct RunningSim {
    explicit RunningSim(const std::string& scenarioText = {}, bool pace = false)
    {
        Simulator::Options o;
        o.portsFolder = home.PortsFolder();
        o.devicePort = 1;
        o.hartPort = 2;
        o.multigasPort = 3;
        o.scenarioText = scenarioText;
        o.pace = pace;
        sim = std::make_unique<Simulator>(o);
        sim->Start();
    }

    static std::unique_ptr<RunningSim> FromFile(const std::string& path)
    {
        auto r = std::unique_ptr<RunningSim>(new RunningSim(0));
        Simulator::Options o;
        o.portsFolder = r->home.PortsFolder();
        o.devicePort = 1;
        o.multigasPort = 3;
        o.scenarioFile = path;
        r->sim = std::make_unique<Simulator>(o);
        r->sim->Start();
        return r;
    }

    std::unique_ptr<SimLineClient> DeviceClient() const { return std::make_unique<SimLineClient>(sim->DeviceLink()); }
    std::unique_ptr<SimLineClient> MultigasClient() const { return std::make_unique<SimLineClient>(sim->MultigasLink()); }

    TempConfigHome home;
    std::unique_ptr<Simulator> sim;

private:
    explicit RunningSim(int) {}
};
