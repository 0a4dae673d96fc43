#include "ManualResetEvent.h"

#include <windows.h>

ManualResetEvent::ManualResetEvent()
{
    HANDLE h = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    native_ = h != nullptr ? reinterpret_cast<std::intptr_t>(h) : -1;
}

ManualResetEvent::~ManualResetEvent()
{
    if (native_ != -1)
        CloseHandle(reinterpret_cast<HANDLE>(native_));
}

void ManualResetEvent::Set()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        set_ = true;
        if (native_ != -1)
            SetEvent(reinterpret_cast<HANDLE>(native_));
    }
    cv_.notify_all();
}

void ManualResetEvent::Reset()
{
    std::lock_guard<std::mutex> lock(mutex_);
    set_ = false;
    if (native_ != -1)
        ResetEvent(reinterpret_cast<HANDLE>(native_));
}
