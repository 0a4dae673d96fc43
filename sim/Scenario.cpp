#include "Scenario.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "SimText.h"

namespace {

std::string Where(const std::string& name, int line)
{
    return line > 0 ? name + ":" + std::to_string(line) : name;
}

}  // namespace

ScenarioError::ScenarioError(const std::string& name, int line, const std::string& message)
    : std::runtime_error(Where(name, line) + ": " + message)
{
}

const std::vector<std::string>& Scenario::Sections()
{
    static const std::vector<std::string> s{"detector", "journal", "hart", "multigas", "faults"};
    return s;
}

Scenario Scenario::FromText(const std::string& text, const std::string& name)
{
    Scenario sc;
    sc.name_ = name;
    std::istringstream in(text);
    std::string raw;
    std::string section;
    int lineNo = 0;
    while (std::getline(in, raw)) {
        ++lineNo;
        const std::string line = SimText::Trim(raw);
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        if (line.front() == '[') {
            if (line.back() != ']')
                throw ScenarioError(name, lineNo, "a section header ends with \"]\"");
            section = SimText::ToLower(SimText::Trim(line.substr(1, line.size() - 2)));
            const auto& known = Sections();
            if (std::find(known.begin(), known.end(), section) == known.end())
                throw ScenarioError(name, lineNo, "unknown section [" + section + "] (known: [detector], [journal], "
                    "[hart], [multigas], [faults])");
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            throw ScenarioError(name, lineNo, "expected key = value, got \"" + line + "\"");
        if (section.empty())
            throw ScenarioError(name, lineNo, "key outside any section");
        Entry e;
        e.section = section;
        e.key = SimText::Trim(line.substr(0, eq));
        e.value = SimText::Trim(line.substr(eq + 1));
        e.line = lineNo;
        if (e.key.empty())
            throw ScenarioError(name, lineNo, "empty key");
        sc.entries_.push_back(std::move(e));
    }
    return sc;
}

Scenario Scenario::FromFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ScenarioError(path, 0, "cannot read the scenario file");
    std::ostringstream text;
    text << in.rdbuf();
    return FromText(text.str(), path);
}
