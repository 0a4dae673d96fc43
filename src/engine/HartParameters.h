#pragma once

#include "ByteSlot.h"
#include "TextSlot.h"

// The field device's HART identity and live values as the HART page shows
// them. Every text holds windows-1251 bytes, as every device text in the
// engine's records does (the unit names "мг/м3", "мА" … included); the user
// interface converts them for display. Each field has its own valid flag.
struct HartParameters {
    ByteSlot pollingAddress;    // 0..63
    TextSlot uniqueId;          // "#" expanded device type (4 hex) and device identifier (6 hex)
    TextSlot primaryValue;      // value, a blank, the unit text
    TextSlot outputCurrent;     // loop current, a blank, "мА"
    ByteSlot loopCurrentMode;   // 1: the device drives its loop current
    TextSlot shortTag;          // 8 characters
    TextSlot descriptor;        // 16 characters
    TextSlot date;              // DD.MM.YYYY
    TextSlot longTag;           // up to 32 bytes
    TextSlot message;           // 32 characters
    TextSlot sensorSerial;      // transducer serial number
    TextSlot upperRange;        // transducer upper limit, a blank, the unit text

    void Reset()
    {
        pollingAddress.Clear();
        uniqueId.Clear();
        primaryValue.Clear();
        outputCurrent.Clear();
        loopCurrentMode.Clear();
        shortTag.Clear();
        descriptor.Clear();
        date.Clear();
        longTag.Clear();
        message.Clear();
        sensorSerial.Clear();
        upperRange.Clear();
    }

    bool operator==(const HartParameters&) const = default;
};
