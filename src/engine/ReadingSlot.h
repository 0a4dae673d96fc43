#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A measured value that the sensor may refuse with its error answer
// ("@ERDT 63," and its siblings): one to three value texts sharing one flag,
// then the error text with its own flag. At most one flag is ever 1, so a
// page shows either the values, or "ошибка", or an empty cell.
template <std::size_t N>
struct ReadingSlot {
    static_assert(N >= 1 && N <= 3, "a reading carries one to three values");

    std::array<std::string, N> values;
    std::uint32_t valid = 0;
    std::string error;
    std::uint32_t errorValid = 0;

    // Ordinary answer. Fewer values than N (the single-value form of a
    // two-heater reading) leave the remaining texts empty; extra ones are
    // not ours to keep.
    void StoreValues(const std::vector<std::string>& answer)
    {
        for (std::size_t i = 0; i < N; ++i)
            values[i] = i < answer.size() ? answer[i] : std::string();
        valid = 1;
        error.clear();
        errorValid = 0;
    }

    void StoreValue(const std::string& value) { StoreValues({value}); }

    // Error answer: the sensor is alive but cannot measure; the text after
    // "63," says why.
    void StoreError(const std::string& errorText)
    {
        for (auto& v : values)
            v.clear();
        valid = 0;
        error = errorText;
        errorValid = 1;
    }

    // No answer at all.
    void Clear()
    {
        for (auto& v : values)
            v.clear();
        valid = 0;
        error.clear();
        errorValid = 0;
    }

    // The outcome of one request that accepts the error answer: `answered`
    // false is no answer; otherwise `isError` picks between the value(s)
    // and the error text.
    void StoreOutcome(bool answered, bool isError, const std::vector<std::string>& answerValues,
                      const std::string& errorText)
    {
        if (!answered)
            Clear();
        else if (isError)
            StoreError(errorText);
        else
            StoreValues(answerValues);
    }

    // The calibration loop forgets an old error before each cycle, so a
    // refusal shows only while it is current.
    void ForgetError() { errorValid = 0; }

    bool operator==(const ReadingSlot&) const = default;
};
