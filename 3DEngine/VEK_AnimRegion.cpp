#include "VEK_AnimRegion.h"

AnimRegion::AnimRegion(const std::string& name, std::uint32_t start_, std::uint32_t end_, bool /*loop*/,
                       std::int32_t loops_, bool forward_)
    : Thing(name), start(start_), end(end_), looping(loops_ == 0), loops(loops_), remaining(loops_), forward(forward_)
{
}

void AnimRegion::restart()
{
    remaining = loops;
    active = true;
}

std::uint32_t AnimRegion::next(std::uint32_t frame)
{
    if (!active) return frame;
    // A pass ends when the frame leaves the range; the last pass stops on the end frame.
    if (frame > end) {
        if (remaining > 0) --remaining;
        if (remaining == 0 && !looping) active = false;
        frame = active ? start : end;
    } else if (frame < start) {
        if (remaining > 0) --remaining;
        frame = end;
    }
    if (remaining > 0 || looping) frame = forward ? frame + 1 : frame - 1;
    return frame;
}
