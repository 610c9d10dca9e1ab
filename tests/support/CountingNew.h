// Replaces the program's operator new to count the C++ allocations made on one thread
// between StartCountingNew and StopCountingNew. Include it in exactly one source file of
// a program (the replacement functions are defined here).
#pragma once

#include <atomic>
#include <cstdlib>
#include <new>

namespace countingnew {
inline std::atomic<bool> counting{false};
inline thread_local bool countedThread = false;
inline long allocations = 0;   // written by the counted thread only

inline void* Allocate(std::size_t size) noexcept
{
    if (countedThread && counting.load(std::memory_order_relaxed)) ++allocations;
    return std::malloc(size ? size : 1);
}
inline void* AllocateOrThrow(std::size_t size)
{
    if (void* memory = Allocate(size)) return memory;
    throw std::bad_alloc();
}
}  // namespace countingnew

// Counting starts at 0 on the calling thread.
inline void StartCountingNew()
{
    countingnew::countedThread = true;
    countingnew::allocations = 0;
    countingnew::counting = true;
}

// Stops counting and returns what was counted.
inline long StopCountingNew()
{
    countingnew::counting = false;
    return countingnew::allocations;
}

// Every unaligned form, so that no memory crosses between this allocator and another.
void* operator new(std::size_t size) { return countingnew::AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return countingnew::AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return countingnew::Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return countingnew::Allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
