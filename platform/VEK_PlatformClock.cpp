// The process's one clock: real time through SDL, or a virtual clock for tests and
// offline capture.
#include "vekPlatform.h"

#include <SDL.h>

namespace plat {
namespace {
bool virtualClock = false;
uint64_t virtualMicroseconds = 0;
constexpr int64_t kVirtualFrequency = 1000000;  // the virtual counter counts microseconds
}  // namespace

uint32_t TickCount()
{
    if (virtualClock) return static_cast<uint32_t>(virtualMicroseconds / 1000);
    return SDL_GetTicks();
}

int64_t PerfCounter()
{
    if (virtualClock) return static_cast<int64_t>(virtualMicroseconds);
    return static_cast<int64_t>(SDL_GetPerformanceCounter());
}

int64_t PerfFrequency()
{
    if (virtualClock) return kVirtualFrequency;
    return static_cast<int64_t>(SDL_GetPerformanceFrequency());
}

void Sleep(uint32_t ms)
{
    if (virtualClock) {
        virtualMicroseconds += uint64_t(ms) * 1000;
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

void AdvanceClock(uint64_t microseconds) { virtualMicroseconds += microseconds; }

}  // namespace plat
