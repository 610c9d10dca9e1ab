#include "VEK_FrameTimer.h"

#include "vekPlatform.h"

float EngineTickMilliseconds() { return float(plat::TickCount()); }

float EngineTimeSeconds() { return float(plat::TickCount()) * 0.001f; }

FrameTimerState& FrameTimer()
{
    static FrameTimerState state;
    return state;
}

void ResetFrameTimer() { FrameTimer() = FrameTimerState{}; }

bool FrameTimerCheck(float updateRate, float& fpsShown)
{
    FrameTimerState& timer = FrameTimer();
    const float now = EngineTimeSeconds();
    const float tick = EngineTickMilliseconds();
    timer.lastCallTime = now;
    timer.callCount += 1;
    if (now - timer.lastResetTime > 1.0f) {
        timer.lastResetTime = now;
        fpsShown = timer.callCount;
        timer.callCount = 0;
    }
    if (1000.0f / updateRate > tick - timer.lastUpdateTick) return false;
    timer.lastUpdateTick = tick;
    return true;
}
