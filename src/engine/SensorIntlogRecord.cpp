#include "SensorIntlogRecord.h"

#include "TextNumbers.h"

SensorIntlogRecord SensorIntlogRecord::FromTexts(const std::string& first, const std::string& second,
                                                 const std::string& third)
{
    SensorIntlogRecord record;
    record.texts = {first, second, third};
    for (std::size_t i = 0; i < record.texts.size(); ++i)
        record.values[i] = record.texts[i].empty() ? 0.0f : static_cast<float>(ParseDecimalReal(record.texts[i]));
    return record;
}
