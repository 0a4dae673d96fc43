#pragma once

#include <cstdint>

class ManualResetEvent;

// Byte transport to one serial line. The protocol masters do all framing,
// timing and retrying; a connector only moves bytes.
//
// The unit address passed to Write and Read is the destination unit on the
// line (the Modbus master passes the slave address, the text and HART masters
// pass 0). Serial connectors ignore it; a connector that routes by unit could
// stand behind the same interface.
class IConnector {
public:
    virtual ~IConnector() = default;

    virtual void Close() {}

    // One synchronous write of the whole buffer; true only if every byte went out.
    virtual bool Write(int unit, const std::uint8_t* data, int length)
    {
        (void)unit; (void)data; (void)length;
        return false;
    }

    // Reads what arrives within the line's read timeout (about 1 ms per byte
    // of capacity, ending early after a 2 ms gap once bytes came). Fewer bytes
    // than asked for, none included, is a success. False on a line failure,
    // with count 0.
    virtual bool Read(int unit, std::uint8_t* buffer, int capacity, int& count)
    {
        (void)unit; (void)buffer; (void)capacity;
        count = 0;
        return false;
    }

    // Drops input that has arrived but not been read (a late or partial answer).
    virtual void PurgeInput() {}

    // The worker's stop event (nullptr: none). While it is set, a blocking
    // Read or Write returns at once with false and count 0; the caller tells
    // that from a line failure by the event itself.
    virtual void SetStopEvent(const ManualResetEvent* stop) { (void)stop; }
};
