#pragma once

#include <stdexcept>
#include <string>
#include <vector>

// A scenario file: sections in brackets and key = value lines; "#" or ";"
// starts a comment line. Parsing checks only the form; the devices check the
// keys and values and the simulator reports their complaints with the file
// name and line.
class Scenario {
public:
    struct Entry {
        std::string section;
        std::string key;
        std::string value;
        int line = 0;
    };

    // Throw ScenarioError on a line that is neither.
    static Scenario FromText(const std::string& text, const std::string& name = "<scenario>");
    static Scenario FromFile(const std::string& path);

    const std::string& Name() const { return name_; }
    const std::vector<Entry>& Entries() const { return entries_; }

    static const std::vector<std::string>& Sections();

private:
    std::string name_;
    std::vector<Entry> entries_;
};

class ScenarioError : public std::runtime_error {
public:
    ScenarioError(const std::string& name, int line, const std::string& message);
};
