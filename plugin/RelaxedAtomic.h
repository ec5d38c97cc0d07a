#pragma once

#include <atomic>

/** A value written on one thread and read on another, whole, without a lock: relaxed
    loads and stores, the same instructions as a plain aligned field on x86-64, but a
    defined meaning and visible to the thread sanitizer. No ordering is promised between
    two such values; each reader sees either the old or the new one. */
template <typename T>
class RelaxedAtomic
{
public:
    static_assert (std::atomic<T>::is_always_lock_free, "must never take a lock");

    constexpr RelaxedAtomic() noexcept : value (T()) {}
    constexpr explicit RelaxedAtomic (T initial) noexcept : value (initial) {}
    RelaxedAtomic (const RelaxedAtomic& other) noexcept : value (other.load()) {}

    RelaxedAtomic& operator= (const RelaxedAtomic& other) noexcept
    {
        store (other.load());
        return *this;
    }

    RelaxedAtomic& operator= (T newValue) noexcept
    {
        store (newValue);
        return *this;
    }

    operator T() const noexcept { return load(); }

    T load() const noexcept { return value.load (std::memory_order_relaxed); }
    void store (T newValue) noexcept { value.store (newValue, std::memory_order_relaxed); }

private:
    std::atomic<T> value;
};
