#include "VEK_AnimController.h"

namespace {
// Moves a track's frame on, wrapping to key 0 (never to the overshoot) once it passes
// the last key. The unsigned sum makes a negative step wrap as well. True when wrapped.
template <typename Key>
bool Advance(AnimTrack<Key>& track, std::int32_t frames)
{
    track.frame += std::uint32_t(frames);
    if (track.frame > track.count() - 1) {
        track.frame = 0;
        return true;
    }
    return false;
}

template <typename Key>
void Clamp(AnimTrack<Key>& track)
{
    if (track.frame > track.count() - 1) track.frame = 0;
}
}  // namespace

AnimController::AnimController(const std::string& name) : Thing(name) {}

RotationKey AnimController::rotation()
{
    const RotationKey& key = rotation_.current();
    rotAxis[0] = key.x;
    rotAxis[1] = key.y;
    rotAxis[2] = key.z;
    rotKeyAngle = key.angle;
    return {rotAxis[0], rotAxis[1], rotAxis[2], rotAngle};
}

const VertexSet* AnimController::vertexSet() const
{
    return vertexSets_.present() ? &vertexSets_.current() : nullptr;
}

AnimKey AnimController::currentKey() const
{
    return {rotation_.current(), position_.current(), scale_.current(), vertexSet(), fov_.current()};
}

void AnimController::step()
{
    if (frameSource)
        stepInRegion();
    else
        advance(frameStep);
}

void AnimController::jump(std::int32_t frames) { advance(frames); }

void AnimController::advance(std::int32_t frames)
{
    // Free-running, the turn direction lives in the sign of the accumulated angle: a key
    // axis with a negative component adds its angle, any other axis subtracts it.
    if (scale_.present()) Advance(scale_, frames);
    if (position_.present()) Advance(position_, frames);
    if (rotation_.present()) {
        if (Advance(rotation_, frames))
            rotAngle = 0;
        else
            rotAngle += axisHasNegative() ? rotKeyAngle : -rotKeyAngle;
    }
    if (fov_.present()) Advance(fov_, frames);
    if (vertexSets_.present()) Advance(vertexSets_, frames);
}

void AnimController::stepInRegion()
{
    // Under a region every track but the vertex sets follows the position frame, and the
    // rotation sign rule is the reverse of the free-running one.
    const std::uint32_t previous = position_.frame;
    position_.frame = frameSource->next(position_.frame);
    scale_.frame = rotation_.frame = fov_.frame = position_.frame;
    Clamp(scale_);
    Clamp(position_);
    if (rotation_.present()) {
        if (rotation_.frame > rotation_.count() - 1) {
            rotation_.frame = 0;
            rotAngle = 0;
        } else if (rotation_.frame != previous) {
            rotAngle += axisHasNegative() ? -rotKeyAngle : rotKeyAngle;
        }
    }
    // Tracks shorter than the position track must stay within their keys too.
    Clamp(rotation_);
    Clamp(fov_);
}

AnimRegion* AnimController::addRegion(const std::string& name, std::uint32_t start, std::uint32_t end, bool loop,
                                      std::int32_t loops, bool forward)
{
    auto* region = new AnimRegion(name, start, end, loop, loops, forward);
    regions.insert(region);
    return region;
}

void AnimController::selectRegion(const std::string& name)
{
    frameSource = regions.findAs<AnimRegion>(name);
    if (!frameSource) return;
    position_.frame = scale_.frame = rotation_.frame = fov_.frame = frameSource->start;
    Clamp(position_);
    Clamp(scale_);
    Clamp(rotation_);
    Clamp(fov_);
    frameSource->restart();
}
