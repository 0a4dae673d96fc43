#include "TestPorts.h"

#include <chrono>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

TempConfigHome::TempConfigHome()
{
    std::random_device seed;
    std::mt19937_64 random(seed() ^ static_cast<std::uint64_t>(
                                        std::chrono::steady_clock::now().time_since_epoch().count()));
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path dir = base / ("korvan-test-" + std::to_string(random() % 1000000000));
        std::error_code ec;
        if (std::filesystem::create_directory(dir, ec)) {
            path_ = dir.generic_string();
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder in " + base.string());
}

TempConfigHome::~TempConfigHome()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void TempConfigHome::LinkPort(int portNumber, const std::string& target) const
{
    throw std::runtime_error("COM" + std::to_string(portNumber) + " cannot be linked to " + target +
                             ": Windows has no ports folder");
}
