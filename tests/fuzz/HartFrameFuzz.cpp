// Fuzzes what the HART master takes from the modem line: the response frame
// (preambles, delimiter, address, command, byte count, status, data, check
// byte) and the data of every typed command. With the check flag set, the
// last byte is made the right check byte of the frame after its preambles.
#include <memory>
#include <string>

#include "FuzzLine.h"
#include "HartMaster.h"

namespace {

void FixCheckByte(std::vector<std::uint8_t>& b)
{
    std::size_t i = 0;
    while (i < b.size() && b[i] != 0xFF)
        ++i;
    while (i < b.size() && b[i] == 0xFF)
        ++i;
    if (i >= b.size())
        return;
    std::uint8_t x = 0;
    for (std::size_t k = i; k + 1 < b.size(); ++k)
        x ^= b[k];
    b.back() = x;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    if (in.fixCheck)
        FixCheckByte(in.bytes);
    NoSleep clock;
    HartMaster master;
    master.SetTimeSource(&clock);
    if (!master.Open(std::make_unique<FuzzLine>(in.bytes, in.piece)))
        return 0;
    const HartAddress shortAddress{false, 0, 0};
    const HartAddress longAddress{true, 0xE1A5, 0x123456};
    for (const HartAddress& a : {shortAddress, longAddress}) {
        HartUniqueIdentifier id;
        HartPrimaryVariable pv;
        HartLoopCurrent lc;
        HartLoopConfiguration cfg;
        HartTagDescriptorDate tdd;
        HartTransducerInfo ti;
        std::string text;
        float actual = 0;
        master.ReadUniqueIdentifier(a, id, false);
        master.ReadPrimaryVariable(a, pv, false);
        master.ReadLoopCurrent(a, lc, false);
        master.ReadLoopConfiguration(a, cfg, false);
        master.ReadMessage(a, text, false);
        master.ReadTagDescriptorDate(a, tdd, false);
        master.ReadTransducerInfo(a, ti, false);
        master.ReadLongTag(a, text, false);
        master.SetFixedCurrent(a, 4.0f, actual);
    }
    return 0;
}
