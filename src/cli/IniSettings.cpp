#include "IniSettings.h"

#include <sstream>

namespace {

std::string Trim(const std::string& s)
{
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return {};
    const auto e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

// A quoted value: the text between the quotes with \\, \" , \n, \t, \r undone.
std::string Unquote(const std::string& v)
{
    if (v.size() < 2 || v.front() != '"' || v.back() != '"')
        return v;
    std::string out;
    for (std::size_t i = 1; i + 1 < v.size(); ++i) {
        char c = v[i];
        if (c == '\\' && i + 2 < v.size()) {
            const char n = v[++i];
            c = n == 'n' ? '\n' : n == 't' ? '\t' : n == 'r' ? '\r' : n;
        }
        out += c;
    }
    return out;
}

} // namespace

std::string IniValue(const std::string& text, const std::string& section, const std::string& key)
{
    std::istringstream in(text);
    std::string line;
    bool inSection = false;
    std::string found;
    while (std::getline(in, line)) {
        const std::string t = Trim(line);
        if (t.empty() || t[0] == ';' || t[0] == '#')
            continue;
        if (t.front() == '[') {
            inSection = t == "[" + section + "]";
            continue;
        }
        if (!inSection)
            continue;
        const auto eq = t.find('=');
        if (eq == std::string::npos || Trim(t.substr(0, eq)) != key)
            continue;
        // The last assignment wins, as in the store itself.
        found = Unquote(Trim(t.substr(eq + 1)));
    }
    return found;
}
