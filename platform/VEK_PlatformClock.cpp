// The process's one clock: real time through SDL, or a virtual clock for tests and
// offline capture. Either can be held still (a paused show) and moved ahead at once (a
// stretch of show time run without waiting for it).
#include "vekPlatform.h"

#include <SDL.h>

namespace plat {
namespace {
bool virtualClock = false;
uint64_t virtualMicroseconds = 0;
constexpr int64_t kVirtualFrequency = 1000000;  // the virtual counter counts microseconds

// The real clock is SDL's clock plus `realShift` counter units: moving it ahead adds to
// the shift, and a hold takes the time it lasted back out when it ends.
int64_t realShift = 0;
bool held = false;
uint64_t heldAtCounter = 0;   // SDL's counter and milliseconds when the clock was held
uint64_t heldAtTicks = 0;

int64_t RealCounter() { return static_cast<int64_t>(held ? heldAtCounter : SDL_GetPerformanceCounter()) + realShift; }

int64_t ShiftMilliseconds()
{
    return static_cast<int64_t>(static_cast<__int128>(realShift) * 1000 /
                                static_cast<int64_t>(SDL_GetPerformanceFrequency()));
}
}  // namespace

uint32_t TickCount()
{
    if (virtualClock) return static_cast<uint32_t>(virtualMicroseconds / 1000);
    const uint64_t ticks = held ? heldAtTicks : SDL_GetTicks64();
    return static_cast<uint32_t>(static_cast<int64_t>(ticks) + ShiftMilliseconds());   // wraps as GetTickCount does
}

int64_t PerfCounter()
{
    if (virtualClock) return static_cast<int64_t>(virtualMicroseconds);
    return RealCounter();
}

int64_t PerfFrequency()
{
    if (virtualClock) return kVirtualFrequency;
    return static_cast<int64_t>(SDL_GetPerformanceFrequency());
}

void Sleep(uint32_t ms)
{
    if (virtualClock) {
        if (!held) virtualMicroseconds += uint64_t(ms) * 1000;
        return;
    }
    SDL_Delay(ms);
}

void UseVirtualClock(bool on)
{
    virtualClock = on;
    virtualMicroseconds = 0;
}

bool IsVirtualClock() { return virtualClock; }

void AdvanceClock(uint64_t microseconds)
{
    if (virtualClock) {
        virtualMicroseconds += microseconds;
        return;
    }
    const uint64_t frequency = SDL_GetPerformanceFrequency();
    realShift += static_cast<int64_t>(static_cast<unsigned __int128>(microseconds) * frequency / 1000000u);
}

void HoldClock(bool hold)
{
    if (hold == held) return;
    if (hold) {
        heldAtCounter = SDL_GetPerformanceCounter();
        heldAtTicks = SDL_GetTicks64();
        held = true;
        return;
    }
    held = false;
    realShift -= static_cast<int64_t>(SDL_GetPerformanceCounter() - heldAtCounter);
}

bool IsClockHeld() { return held; }

}  // namespace plat
