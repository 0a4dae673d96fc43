#include "SensorKind.h"

#include <cstddef>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// ASCII folding only: the type names are Latin, and the user's locale must
// not change what a sensor is.
char FoldCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(const std::string& text, std::size_t begin, std::size_t end, const char* name)
{
    std::size_t i = begin;
    for (; *name != '\0'; ++name, ++i) {
        if (i == end || FoldCase(text[i]) != FoldCase(*name))
            return false;
    }
    return i == end;
}

struct KindName {
    const char* name;
    SensorKind kind;
};

constexpr KindName kNames[] = {
    {"OptoDyn", SensorKind::OptoDyn},   {"OptoMIP", SensorKind::OptoMIP},   {"Elchem", SensorKind::Elchem},
    {"ElchLP", SensorKind::Elchem},     {"Oksik", SensorKind::Oksik},       {"Semi", SensorKind::Semi},
    {"SemiCycl", SensorKind::SemiCycl}, {"TcatBrdg", SensorKind::TcatBrdg}, {"TcatPWR", SensorKind::TcatPWR},
    {"CondTerm", SensorKind::CondTerm}, {"CondConv", SensorKind::CondConv},
};

} // namespace

SensorKind ClassifySensorKind(const std::string& text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    for (const auto& entry : kNames) {
        if (EqualsNoCase(text, begin, end, entry.name))
            return entry.kind;
    }
    return SensorKind::Unknown;
}
