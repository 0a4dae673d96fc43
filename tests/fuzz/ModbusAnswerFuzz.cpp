// Fuzzes what the Modbus master takes from the device line: the validation of
// a received frame and every typed read over a line that answers with the
// fuzzer's bytes. With the check flag set, the bytes get a right CRC, so the
// frame's inner fields are reached as well.
#include <array>
#include <memory>
#include <string>

#include "FuzzLine.h"
#include "ModbusCrc.h"
#include "ModbusMaster.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    if (in.fixCheck && !in.bytes.empty()) {
        const std::uint16_t crc = ModbusCrc16(in.bytes.data(), in.bytes.size());
        in.bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
        in.bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    }

    std::uint8_t exception = 0;
    ModbusMaster::ValidateFrame(in.bytes.data(), static_cast<int>(in.bytes.size()), 1, 4, 1000, 8, exception);
    ModbusMaster::ValidateFrame(in.bytes.data(), static_cast<int>(in.bytes.size()), 1, 6, 1012, 1, exception);

    NoSleep clock;
    ModbusMaster master;
    master.SetTimeSource(&clock);
    if (!master.Open(std::make_unique<FuzzLine>(in.bytes, in.piece)))
        return 0;
    std::uint32_t seconds = 0;
    std::string text;
    std::uint16_t d = 0, m = 0, y = 0;
    float value = 0;
    ModbusThresholds thresholds{};
    std::array<std::uint8_t, 12> raw{};
    master.ReadClock(1, seconds, false);
    master.ReadAnalyteCode(1, text, false);
    master.ReadUnit(1, text, false);
    master.ReadText1050(1, text, false);
    master.ReadCalibrationDate(1, d, m, y, false);
    master.ReadConcentration(1, value, false);
    master.ReadThresholds(1, thresholds, false);
    master.ReadJournalState(1, raw, false);
    master.WriteRegister(1, 1012, 1, false);
    const std::uint8_t* response = nullptr;
    int length = 0;
    master.Transact(1, 4, 0x4000, 120, nullptr, response, length, false);
    return 0;
}
