// ParticleEmitter: the particle emitter a scene object can carry. The engine script
// configures it from the object's particle element. The settings and the start request
// are kept here; the particle pool, its image file, drawing and motion are NOT BUILT YET.
#pragma once

#include "VEK_LissaPath.h"

#include <cstdint>
#include <string>

class ParticleEmitter {
public:
    void setAccelerationRanges(float x, float y, float z);
    void setSizes(float maximum, float minimum);
    void setSpawn(float value) { spawn = value; }
    void setRays(bool on) { rays = on; }
    void setBox(std::int32_t minX, std::int32_t minY, std::int32_t minZ, std::int32_t maxX, std::int32_t maxY,
                std::int32_t maxZ);
    void setSpeedDivisors(float x, float y, float z);   // each stored plus 0.01
    void setColour(float r, float g, float b);
    // Channel 0 of the path: amplitudes truncated to integers, the curve mode, speed 1.
    void setTrace(float x, float y, int mode);
    // Records the start: the image file, the pool size, the lifetime and where the
    // object stood; the emitter runs from then on.
    void load(const std::string& file, std::int32_t count, std::int32_t life, const float where[3]);

    bool visible = true;
    float speedDivisor[3] = {2.0f, 2.0f, 2.0f};
    float spawn = 0.1f;
    bool rays = false;
    std::int32_t boxMin[3] = {1, 1, 1};
    std::int32_t boxMax[3] = {0, 0, 0};
    std::int32_t boxRange[3] = {0, 0, 0};
    LissaPath path;
    std::int32_t particleCount = 0;
    bool running = false;
    std::int32_t maxSize = 0, minSize = 0;
    float position[3] = {0, 0, 0};
    float launchVelocity[2] = {0, 0};
    float accelerationRange[3] = {1.8f, 1.8f, 1.8f};
    float colour[3] = {0, 0, 0};
    bool loaded = false;             // load was called
    std::string fileName;            // the K2D image file
    std::int32_t lifetime = 0;       // accepted, unused
};
