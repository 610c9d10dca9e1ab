// Sampled node animation: the "*TM_ANIMATION" blocks of a node and their tracks.
#include "VEK_AseSections.h"

#include <cstdint>

namespace aseimport {

bool FindNodeAnimation(const AseText& text, Span span, const std::string& nodeName, Span& animation)
{
    Cursor cursor(text, span);
    while (cursor.findAtLevel("*TM_ANIMATION")) {
        const Span inside = cursor.block();
        Cursor block(text, inside);
        const std::string name = block.find("*NODE_NAME") ? block.quoted() : std::string();
        if (name == nodeName && !inside.empty()) {
            animation = inside;
            return true;
        }
    }
    return false;
}

bool FindTrack(const AseText& text, Span animation, std::string_view trackKeyword, Span& track)
{
    Cursor cursor(text, animation);
    while (cursor.findAtLevel(trackKeyword)) {
        const std::size_t at = cursor.position();
        track = cursor.block();
        if (cursor.position() != at) return true;
    }
    return false;
}

std::vector<scenefile::Vec3> ReadVectorSamples(const AseText& text, Span track, std::string_view sampleKeyword)
{
    std::vector<scenefile::Vec3> samples;
    ForEachEntry(text, track, sampleKeyword, SIZE_MAX, [&](Cursor& cursor, long long) {
        scenefile::Vec3 value;   // a scale sample's axis and angle are not kept
        value.x = cursor.real();
        value.y = cursor.real();
        value.z = cursor.real();
        samples.push_back(value);
    });
    return samples;
}

std::vector<scenefile::AxisAngle> ReadRotationSamples(const AseText& text, Span track)
{
    std::vector<scenefile::AxisAngle> samples;
    ForEachEntry(text, track, "CONTROL_ROT_SAMPLE", SIZE_MAX, [&](Cursor& cursor, long long) {
        scenefile::AxisAngle value;
        value.x = cursor.real();
        value.y = cursor.real();
        value.z = cursor.real();
        value.angle = cursor.real();
        samples.push_back(value);
    });
    return samples;
}

}  // namespace aseimport
