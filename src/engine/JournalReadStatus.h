#pragma once

// How far the reading of one device journal has come.
enum class JournalReadStatus : int {
    NotRead = 0,
    Reading = 1,
    Failed = 2,
    Finished = 3, // also after an abort once records were arriving: they stay
};
