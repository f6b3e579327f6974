// The one lock type of the library and the program. On Windows it is a
// CRITICAL_SECTION, which every Windows from 95 and NT 3.1 on has and which
// needs no C++ runtime, so neither image carries a thread library. On the
// host it is std::mutex, which the sanitizers know.
#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <mutex>
#endif

namespace zorik {

class Lock {
public:
#ifdef _WIN32
    Lock() { InitializeCriticalSection(&m_section); }
    ~Lock() { DeleteCriticalSection(&m_section); }
    void lock() { EnterCriticalSection(&m_section); }
    void unlock() { LeaveCriticalSection(&m_section); }
#else
    Lock() = default;
    void lock() { m_mutex.lock(); }
    void unlock() { m_mutex.unlock(); }
#endif
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
#ifdef _WIN32
    CRITICAL_SECTION m_section;
#else
    std::mutex m_mutex;
#endif
};

// Holds a Lock for the rest of the enclosing scope.
class LockHold {
public:
    explicit LockHold(Lock& lock) : m_lock(lock) { m_lock.lock(); }
    ~LockHold() { m_lock.unlock(); }
    LockHold(const LockHold&) = delete;
    LockHold& operator=(const LockHold&) = delete;

private:
    Lock& m_lock;
};

} // namespace zorik
