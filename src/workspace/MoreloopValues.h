#pragma once

#include <cstddef>
#include <string>

#include "MultiTextSlot.h"
#include "ReadingSlot.h"
#include "TextSlot.h"

// The value texts the additional-parameters dialogs show: the field's text
// when the sensor gave it, else nothing (an error answer shows as empty).
namespace MoreloopValues {

inline std::string TextOf(const TextSlot& slot)
{
    return slot.valid != 0 ? slot.text : std::string();
}

template <std::size_t N>
std::string ValueOf(const ReadingSlot<N>& slot, std::size_t index)
{
    return slot.valid != 0 && index < N ? slot.values[index] : std::string();
}

template <std::size_t N>
std::string FieldOf(const MultiTextSlot<N>& slot, std::size_t index)
{
    return slot.valid != 0 && index < N ? slot.texts[index] : std::string();
}

} // namespace MoreloopValues
