// Timer: a frame-rate accumulator on the high-resolution counter. A render target asks
// Check once per drawn frame and refreshes when it fires; otherwise it calls Update.
#pragma once

#include <cstdint>

class Timer {
public:
    Timer() = default;
    virtual ~Timer() = default;

    void Start();
    void Update();
    bool Check();

    float accumulator = 0.0f;   // sum of 1/delta since the last firing
    int64_t currentCount = 0;   // counter at the last Update
    int64_t frequency = 0;      // counts per second
    int64_t startCount = 0;     // counter at Start
    float elapsed = 0.0f;       // seconds from Start to the last Update
    float delta = 0.0f;         // seconds between the last two Updates
    int threshold = 200;        // the accumulator must exceed this to fire
};
