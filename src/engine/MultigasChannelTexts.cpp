#include "MultigasChannelTexts.h"

namespace {

bool EqualsNoCase(const std::string& text, const char* marker)
{
    std::size_t i = 0;
    for (; marker[i] != '\0'; ++i) {
        if (i == text.size())
            return false;
        char c = text[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != marker[i])
            return false;
    }
    return i == text.size();
}

} // namespace

void MultigasChannelTexts::Fill(const std::vector<std::string>& items)
{
    Clear();
    for (std::size_t channel = 0; channel < kChannels; ++channel) {
        const std::size_t nameItem = 1 + 2 * channel;
        const std::size_t valueItem = nameItem + 1;
        if (nameItem < items.size() && !EqualsNoCase(items[nameItem], "NS"))
            names[channel] = items[nameItem];
        if (valueItem < items.size() && !EqualsNoCase(items[valueItem], "ND"))
            values[channel] = items[valueItem];
    }
}

void MultigasChannelTexts::Clear()
{
    for (auto& n : names)
        n.clear();
    for (auto& v : values)
        v.clear();
}

std::string MultigasChannelTexts::Name(std::size_t index) const
{
    return index < kChannels ? names[index] : std::string();
}

std::string MultigasChannelTexts::Value(std::size_t index) const
{
    return index < kChannels ? values[index] : std::string();
}
