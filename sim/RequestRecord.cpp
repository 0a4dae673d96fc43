#include "RequestRecord.h"

#include "SimText.h"

void RequestRecord::Add(Entry e)
{
    std::lock_guard lock(mutex_);
    entries_.push_back(std::move(e));
    while (entries_.size() > keep_)
        entries_.pop_front();
}

void RequestRecord::AddText(const std::string& line)
{
    Entry e;
    e.text = line;
    Add(std::move(e));
}

void RequestRecord::AddFrame(const std::vector<std::uint8_t>& frame)
{
    Entry e;
    e.frame = true;
    e.text = SimText::Hex(frame);
    e.bytes = frame;
    Add(std::move(e));
}

std::vector<RequestRecord::Entry> RequestRecord::Entries() const
{
    std::lock_guard lock(mutex_);
    return {entries_.begin(), entries_.end()};
}

std::vector<std::string> RequestRecord::Texts() const
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const Entry& e : entries_)
        if (!e.frame)
            out.push_back(e.text);
    return out;
}

std::vector<std::vector<std::uint8_t>> RequestRecord::Frames() const
{
    std::lock_guard lock(mutex_);
    std::vector<std::vector<std::uint8_t>> out;
    for (const Entry& e : entries_)
        if (e.frame)
            out.push_back(e.bytes);
    return out;
}

std::size_t RequestRecord::Size() const
{
    std::lock_guard lock(mutex_);
    return entries_.size();
}

void RequestRecord::Clear()
{
    std::lock_guard lock(mutex_);
    entries_.clear();
}
