// AnimRegion: a named range of animation frames that a controller plays instead of its
// whole tracks.
#pragma once

#include "VEK_Thing.h"

#include <cstdint>

class AnimRegion : public Thing {
public:
    // loops is the number of passes; 0 plays for ever (the loop argument does not change
    // that). forward false plays the range backwards.
    AnimRegion(const std::string& name, std::uint32_t start, std::uint32_t end, bool loop, std::int32_t loops,
               bool forward);

    void restart();
    // The frame that follows frame within the region; an inactive region returns frame.
    std::uint32_t next(std::uint32_t frame);

    std::uint32_t start;
    std::uint32_t end;
    bool looping;
    bool active = true;
    std::int32_t loops;
    std::int32_t remaining;
    bool forward;
};
