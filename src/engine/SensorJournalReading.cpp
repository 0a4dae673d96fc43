// Reading the device's two ring journals into the engine's buffers: newest
// records first, in blocks, so that the page shows records while the reading
// goes on and an aborted reading keeps what it has.
#include "SensorModbusInterface.h"

#include "TCsLock.h"

namespace {

struct JournalRegisters {
    std::size_t first;      // positions in DeviceParameters::journalIndices
    std::size_t last;
    std::size_t capacity;
    std::uint16_t records;  // first record register
};

JournalRegisters Registers(SensorModbusInterface::Journal which)
{
    if (which == SensorModbusInterface::Journal::Event)
        return {DeviceParameters::kEventFirst, DeviceParameters::kEventLast, DeviceParameters::kEventCapacity, 0x4000};
    return {DeviceParameters::kThresholdFirst, DeviceParameters::kThresholdLast, DeviceParameters::kThresholdCapacity,
            0x5000};
}

} // namespace

void SensorModbusInterface::NotifyJournalStatus(Journal which)
{
    if (which == Journal::Event)
        NotifyEventJournalStatus();
    else
        NotifyThresholdJournalStatus();
}

void SensorModbusInterface::NotifyJournalData(Journal which)
{
    if (which == Journal::Event)
        NotifyEventJournalData();
    else
        NotifyThresholdJournalData();
}

bool SensorModbusInterface::SelectJournalBlock(const JournalBuffer& b, std::uint32_t& start, std::uint32_t& count) const
{
    if (!b.Usable() || b.first == b.last || b.capacity == 0)
        return false;
    const std::uint32_t cap = b.capacity;
    const std::uint32_t upper = b.last == 0 ? cap : b.last;
    const std::uint32_t lower = b.first == 0 ? cap : b.first;
    if (upper == lower)
        return false;

    // Down from the newest record, past the slots already read; reaching the
    // oldest record on a read slot means everything is in.
    std::uint32_t top = upper - 1;
    for (std::uint32_t steps = 0;; ++steps) {
        if (steps >= cap)
            return false;
        if (!b.IsLoaded(top))
            break;
        if (top == b.first)
            return false;
        top = top == 0 ? cap - 1 : top - 1;
    }

    // Downwards from the top while the block may grow: never below index 0
    // (a block is one run of registers), never past the oldest record.
    std::uint32_t low = top;
    while (low > 0 && low != b.first && top - low + 1 < kJournalBlockRecords && !b.IsLoaded(low - 1))
        --low;
    start = low;
    count = top - low + 1;
    return true;
}

int SensorModbusInterface::ReadJournalBlock(Journal which, std::uint32_t start, std::uint32_t count)
{
    if (StopRequested())
        return 0;
    if (count == 0)
        return 1;
    const JournalRegisters regs = Registers(which);
    const std::uint8_t* data = nullptr;
    int length = 0;
    const std::uint8_t rc = master_.Transact(slaveAddress_.load(), 4, static_cast<std::uint16_t>(regs.records + start),
                                             static_cast<std::uint16_t>(8 * count), nullptr, data, length, true);
    bool stored = false;
    if (rc == ModbusMaster::kOk && length == static_cast<int>(16 * count)) {
        TCsLock lock(dataLock_);
        stored = Buffer(which).StoreRecords(start, data, count);
    }
    if (!stored && rc != ModbusMaster::kOk && StopRequested())
        return 0; // ended by a stop, not by the device: the records read stay as they are
    if (!stored) {
        state_ = kFailed;
        NotifyTaskEvent();
        return -1;
    }
    NotifyJournalData(which);
    return 1;
}

void SensorModbusInterface::TaskJournal(Journal which)
{
    JournalBuffer& buffer = Buffer(which);
    {
        TCsLock lock(dataLock_);
        buffer.readCount = 0;
        buffer.expectedCount = 0;
        buffer.status = JournalReadStatus::Reading;
    }
    NotifyJournalStatus(which);

    bool started = ReadModbusId(true) && ReadHartId() && ReadJournalIndices(true);
    if (started) {
        const JournalRegisters regs = Registers(which);
        bool fits = false;
        {
            TCsLock lock(dataLock_);
            const auto& idx = device_.journalIndices.value;
            // Record i is read from register base + i: a capacity beyond the
            // 16-bit register space would wrap the address and store other
            // registers as journal records.
            const std::uint32_t addressable = 0x10000u - regs.records;
            fits = buffer.Allocate(idx[regs.first], idx[regs.last], idx[regs.capacity], addressable);
            buffer.status = fits ? JournalReadStatus::Reading : JournalReadStatus::Failed;
        }
        NotifyJournalStatus(which);
        if (!fits) {
            // Indices outside the ring: the device's index block is damaged,
            // and walking the ring by it would run off the buffer.
            state_ = kFailed;
            NotifyTaskEvent();
            return;
        }
    } else {
        {
            TCsLock lock(dataLock_);
            if (state_.load() == kFailed) {
                buffer.status = JournalReadStatus::Failed;
            } else {
                buffer.readCount = 0;
                buffer.expectedCount = 0;
                buffer.status = JournalReadStatus::NotRead;
            }
        }
        NotifyJournalStatus(which);
        return;
    }

    for (;;) {
        std::uint32_t start = 0;
        std::uint32_t count = 0;
        bool more = false;
        {
            TCsLock lock(dataLock_);
            more = SelectJournalBlock(buffer, start, count);
        }
        if (!more)
            break;
        const int result = ReadJournalBlock(which, start, count);
        if (result != 1) {
            {
                TCsLock lock(dataLock_);
                // A failure leaves what was read and says so; a stop keeps
                // the records as a finished, shorter reading.
                buffer.status = state_.load() == kFailed ? JournalReadStatus::Failed : JournalReadStatus::Finished;
            }
            NotifyJournalStatus(which);
            return;
        }
        {
            TCsLock lock(dataLock_);
            buffer.readCount += count;
        }
        NotifyJournalStatus(which);
    }

    {
        TCsLock lock(dataLock_);
        buffer.status = JournalReadStatus::Finished;
    }
    NotifyJournalStatus(which);
    EndTask();
}

void SensorModbusInterface::CopyJournal(const JournalBuffer& b, SensorJournalContent& out)
{
    out.clear();
    out.first = b.first;
    out.last = b.last;
    out.capacity = b.capacity;
    out.allocated = b.allocated;
    out.expected = 0;
    if (!b.Usable())
        return;
    out.expected = JournalBuffer::ExpectedCount(b.first, b.last, b.capacity);
    if (out.expected == 0 || b.capacity == 0)
        return;
    std::uint32_t i = b.last == 0 ? b.capacity - 1 : b.last - 1;
    for (std::uint32_t steps = 0; steps < b.capacity && b.IsLoaded(i); ++steps) {
        ModbusJournalRecord record;
        record.raw = b.records[i];
        out.push_back(record);
        if (i == b.first)
            break;
        i = i == 0 ? b.capacity - 1 : i - 1;
    }
}

void SensorModbusInterface::CopyEventJournal(SensorJournalContent& out)
{
    TCsLock lock(dataLock_);
    CopyJournal(eventJournal_, out);
}

void SensorModbusInterface::CopyThresholdJournal(SensorJournalContent& out)
{
    TCsLock lock(dataLock_);
    CopyJournal(thresholdJournal_, out);
}

void SensorModbusInterface::JournalProgress(Journal which, JournalReadStatus& status, std::uint32_t& read,
                                            std::uint32_t& expected)
{
    TCsLock lock(dataLock_);
    const JournalBuffer& b = Buffer(which);
    status = b.status;
    read = b.readCount;
    expected = b.expectedCount;
}
