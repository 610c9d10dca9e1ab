#include "VEK_Particle_Emit.h"

#include <cstdlib>

void ParticleEmitter::setAccelerationRanges(float x, float y, float z)
{
    accelerationRange[0] = x;
    accelerationRange[1] = y;
    accelerationRange[2] = z;
}

void ParticleEmitter::setSizes(float maximum, float minimum)
{
    maxSize = std::int32_t(maximum);
    minSize = std::int32_t(minimum);
}

void ParticleEmitter::setBox(std::int32_t minX, std::int32_t minY, std::int32_t minZ, std::int32_t maxX,
                             std::int32_t maxY, std::int32_t maxZ)
{
    const std::int32_t minimum[3] = {minX, minY, minZ};
    const std::int32_t maximum[3] = {maxX, maxY, maxZ};
    for (int axis = 0; axis < 3; ++axis) {
        boxMin[axis] = minimum[axis];
        boxMax[axis] = maximum[axis];
        boxRange[axis] = std::int32_t(std::llabs(std::int64_t(minimum[axis]) - maximum[axis]));
    }
}

void ParticleEmitter::setSpeedDivisors(float x, float y, float z)
{
    speedDivisor[0] = x + 0.01f;
    speedDivisor[1] = y + 0.01f;
    speedDivisor[2] = z + 0.01f;
}

void ParticleEmitter::setColour(float r, float g, float b)
{
    colour[0] = r;
    colour[1] = g;
    colour[2] = b;
}

void ParticleEmitter::setTrace(float x, float y, int mode)
{
    path.Fill(int(x), int(y), 0, mode);
    path.SetSpeed(1);
}

void ParticleEmitter::load(const std::string& file, std::int32_t count, std::int32_t life, const float where[3])
{
    fileName = file;
    particleCount = count;
    lifetime = life;
    for (int axis = 0; axis < 3; ++axis) position[axis] = where[axis];
    loaded = true;
    launchVelocity[0] = 8120.0f;
    launchVelocity[1] = -5420.0f;
    running = true;
}
