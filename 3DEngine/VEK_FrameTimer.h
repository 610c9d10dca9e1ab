// The scene update timer. Its state is one per process and shared by every scene, so
// several scenes updated in one frame share one update budget.
#pragma once

// Milliseconds of the engine's clocks. Both come from the platform clock, so under a
// virtual clock the engine advances by show time.
float EngineTickMilliseconds();   // GetTickCount
float EngineTimeSeconds();        // timeGetTime * 0.001

struct FrameTimerState {
    float lastUpdateTick = 0;     // milliseconds
    float lastCallTime = 0;       // seconds
    float callCount = 0;          // calls since the last counter reset
    float lastResetTime = 0;      // seconds
};
FrameTimerState& FrameTimer();
// Back to the state at start (all 0); for tests that start a new clock.
void ResetFrameTimer();

// Counts one call of an update cycle and tells whether the scene updates now: true when
// at least 1000 / updateRate ms of tick time have passed since the last update. Once a
// second the count of calls becomes fpsShown.
bool FrameTimerCheck(float updateRate, float& fpsShown);
