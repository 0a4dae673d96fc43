#include "VirtualTime.h"

void VirtualTime::SleepMs(std::uint32_t ms)
{
    sleeps_.push_back(ms);
    now_ += ms;
}
