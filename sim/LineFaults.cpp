#include "LineFaults.h"

void LineFaults::Set(const std::string& target, const LineFault& fault)
{
    std::lock_guard lock(mutex_);
    faults_[target] = fault;
}

void LineFaults::Clear(const std::string& target)
{
    std::lock_guard lock(mutex_);
    faults_.erase(target);
}

void LineFaults::ClearAll()
{
    std::lock_guard lock(mutex_);
    faults_.clear();
}

std::map<std::string, LineFault> LineFaults::All() const
{
    std::lock_guard lock(mutex_);
    return faults_;
}

std::optional<LineFault> LineFaults::Take(const std::vector<std::string>& targets)
{
    std::lock_guard lock(mutex_);
    for (const std::string& t : targets) {
        auto it = faults_.find(t);
        if (it == faults_.end())
            continue;
        LineFault f = it->second;
        if (it->second.remaining > 0 && --it->second.remaining == 0)
            faults_.erase(it);
        return f;
    }
    return std::nullopt;
}
