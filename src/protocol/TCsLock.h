#pragma once

#include "TCriticalSection.h"

// Scoped lock on a TCriticalSection: entered on construction, left on
// destruction when still held. Lock() enters only when not held, Unlock()
// leaves only when held, so a lock released early is not left twice.
class TCsLock {
public:
    explicit TCsLock(TCriticalSection* section) : section_(section) { Lock(); }
    explicit TCsLock(TCriticalSection& section) : TCsLock(&section) {}
    TCsLock(const TCsLock&) = delete;
    TCsLock& operator=(const TCsLock&) = delete;
    ~TCsLock() { Unlock(); }

    void Lock()
    {
        if (!locked_ && section_ != nullptr) {
            section_->Enter();
            locked_ = true;
        }
    }

    void Unlock()
    {
        if (locked_) {
            section_->Leave();
            locked_ = false;
        }
    }

    bool IsLocked() const { return locked_; }

private:
    TCriticalSection* section_;
    bool locked_ = false;
};
