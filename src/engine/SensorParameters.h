#pragma once

#include "ByteSlot.h"
#include "MultiTextSlot.h"
#include "ReadingSlot.h"
#include "TextArraySlot.h"
#include "TextSlot.h"

// Everything read from the sensor module over the device line. Most values
// are kept as the text the sensor sent, because the pages show them as they
// came; only the identifiers are numbers. The line worker owns the live copy
// and writes it under its data lock; everybody else works on a copy.
struct SensorParameters {
    ByteSlot modbusId;                 // "@RRID"; also the device's Modbus slave address
    ByteSlot hartId;                   // "@RRHA"
    ReadingSlot<1> concentration;      // "@RRDT", error "@ERDT 63,"
    TextSlot adc;                      // "@RRDV"
    ReadingSlot<1> sensorTemperature;  // "@RRST", error "@ERST 63,"
    TextSlot v1;                       // "@RRV1"
    TextSlot v2;                       // "@RRV2"
    TextSlot c1;                       // "@RRC1"
    TextSlot c2;                       // "@RRC2"
    TextSlot manufacturer;             // "@RRIM"
    TextSlot units;                    // "@RRUT"
    TextSlot manufactureDate;          // "@RRDS"
    TextSlot calibrationDate;          // "@RRCD"
    TextSlot analyteCode;              // "@RRCA"
    TextSlot sensorType;               // "@RRKS"; selects the sensor kind
    TextSlot softwareVersion;          // "@RRSS"
    TextSlot serialNumber;             // "@RRIS"
    TextSlot lowerLimit;               // "@RRCL"
    TextSlot upperLimit;               // "@RRCH"
    ByteSlot daa;                      // "@RDAA"
    // Sensor-type settings "@RRAV" … "@RRUL".
    TextSlot av;
    TextSlot rg;
    TextSlot rl;
    TextSlot bs;
    TextSlot sb;
    TextSlot iz;
    TextSlot rs;
    TextSlot md;
    TextSlot fs;
    TextSlot u0;
    TextSlot kk;
    TextSlot ul;
    TextArraySlot<5> coeffK;           // "@RRK0" … "@RRK4"
    TextSlot heater;                   // "@RRWH"
    TextSlot bb;                       // "@RRBB"
    TextSlot br;                       // "@RRBR"
    ReadingSlot<2> thReading;          // "@RRTH": one heater, or CAT and PLT
    ReadingSlot<1> rpReading;          // "@RRRP"
    MultiTextSlot<3> pvValues;         // "@RRPV"
    ReadingSlot<2> rhReading;          // "@RRRH": one heater, or CAT and PLT
    TextSlot pw;                       // "@RRPW"
    ReadingSlot<1> shReading;          // "@RRSH"
    TextSlot tg;                       // "@RRTG"
    TextSlot a1;                       // "@RRA1"
    TextSlot kt;                       // "@RRKT"
    TextSlot t0;                       // "@RRT0"
    TextSlot h0;                       // "@RRH0"
    TextSlot mg;                       // "@RRMG"
    TextSlot mp;                       // "@RRMP"
    MultiTextSlot<3> piValues;         // "@RRPI"
    TextSlot s1;                       // "@RRS1"
    TextSlot s2;                       // "@RRS2"
    MultiTextSlot<4> r0Values;         // "@RRR0"; placed by the operation that reads it
    MultiTextSlot<4> lpValues;         // "@RRLP"
    MultiTextSlot<4> cpValues;         // "@RRCP"
    ReadingSlot<3> dwReading;          // "@RRDW": powers CAT, PLT and their difference
    TextSlot le;                       // "@RRLE"

    // Back to the state of a sensor never read: every text empty, every
    // number 0, every flag 0.
    void Reset() { *this = SensorParameters{}; }

    bool operator==(const SensorParameters&) const = default;
};
