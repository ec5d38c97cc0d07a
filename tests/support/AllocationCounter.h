#pragma once

/** Counts the heap allocations the calling thread makes while it lives. Linking
    AllocationCounter.cpp routes every malloc, calloc, realloc and aligned allocation of
    the program (and so every operator new) through the counter. */
class CountAllocations
{
public:
    CountAllocations() noexcept;
    ~CountAllocations();

    CountAllocations (const CountAllocations&) = delete;
    CountAllocations& operator= (const CountAllocations&) = delete;

    int count() const noexcept;
};
