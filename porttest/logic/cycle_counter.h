// The loopback test's cycle counter: the number of cycles begun since the
// program started. Only the worker advances it; the UI thread reads it for
// the report, so it is atomic.
#pragma once

#include <atomic>
#include <cstdint>

namespace zorik {

class CycleCounter {
public:
    explicit CycleCounter(std::uint32_t start = 0) : m_value(start) {}
    CycleCounter(const CycleCounter&) = delete;
    CycleCounter& operator=(const CycleCounter&) = delete;

    // Begins a cycle and returns its number. 32-bit unsigned arithmetic:
    // after 0xFFFFFFFF comes 0.
    std::uint32_t next() { return m_value.fetch_add(1) + 1u; }

    std::uint32_t value() const { return m_value.load(); }

    // A station's next unit counts from 1 again; only while no worker runs.
    void reset() { m_value.store(0); }

private:
    std::atomic<std::uint32_t> m_value;
};

} // namespace zorik
