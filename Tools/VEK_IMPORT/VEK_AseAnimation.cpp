// Sampled node animation: the "*TM_ANIMATION" blocks of a node and their tracks.
#include "VEK_AseSections.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace aseimport {
using scenefile::AxisAngle;

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

std::vector<TimedSample<scenefile::Vec3>> ReadVectorSamples(const AseText& text, Span track,
                                                            std::string_view sampleKeyword)
{
    std::vector<TimedSample<scenefile::Vec3>> samples;
    ForEachEntry(text, track, sampleKeyword, SIZE_MAX, [&](Cursor& cursor, long long time) {
        // a scale sample's axis and angle are not kept
        samples.push_back({time, ReadVec3(cursor)});
    });
    return samples;
}

std::vector<TimedSample<scenefile::AxisAngle>> ReadRotationSamples(const AseText& text, Span track)
{
    std::vector<TimedSample<scenefile::AxisAngle>> samples;
    ForEachEntry(text, track, "CONTROL_ROT_SAMPLE", SIZE_MAX, [&](Cursor& cursor, long long time) {
        scenefile::AxisAngle value;
        value.x = cursor.real();
        value.y = cursor.real();
        value.z = cursor.real();
        value.angle = cursor.real();
        samples.push_back({time, value});
    });
    return samples;
}

namespace {
template <typename Value>
void SortByTime(std::vector<TimedSample<Value>>& samples)
{
    std::stable_sort(samples.begin(), samples.end(), [](const auto& a, const auto& b) { return a.time < b.time; });
}
}  // namespace

std::vector<scenefile::Vec3> HoldEveryFrame(std::vector<TimedSample<scenefile::Vec3>> samples, const FrameRange& frames,
                                            const scenefile::Vec3& rest)
{
    SortByTime(samples);
    std::vector<scenefile::Vec3> keys;
    keys.reserve(frames.count());
    scenefile::Vec3 held = rest;
    std::size_t next = 0;
    for (std::size_t key = 0; key < frames.count(); ++key) {
        for (; next < samples.size() && samples[next].time <= frames.time(key); ++next) held = samples[next].value;
        keys.push_back(held);
    }
    return keys;
}

std::vector<scenefile::AxisAngle> RotationEveryFrame(std::vector<TimedSample<scenefile::AxisAngle>> samples,
                                                     const FrameRange& frames, const scenefile::Vec3& restAxis)
{
    SortByTime(samples);
    std::vector<scenefile::AxisAngle> keys;
    keys.reserve(frames.count());
    scenefile::AxisAngle still{restAxis.x, restAxis.y, restAxis.z, 0.0f};
    std::size_t next = 0;
    for (std::size_t key = 0; key < frames.count(); ++key) {
        scenefile::AxisAngle value = still;
        for (; next < samples.size() && samples[next].time <= frames.time(key); ++next) {
            // Samples before the first frame are turns the range does not play.
            const AxisAngle& sample = samples[next].value;
            value = samples[next].time < frames.time(0) ? AxisAngle{sample.x, sample.y, sample.z, 0.0f} : sample;
        }
        keys.push_back(value);
        still = {value.x, value.y, value.z, 0.0f};
    }
    return keys;
}

// ---- node transforms ------------------------------------------------------------------

namespace {
scenefile::Vec3 Scaled(const scenefile::Vec3& v, float s) { return {v.x * s, v.y * s, v.z * s}; }

float Length(const scenefile::Vec3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

// The rows of a rotation by angle about axis as the exporter writes them: row i is the
// image of axis i, which is the i-th column of the rotation by -angle.
NodeTransform FromAxisAngle(const scenefile::Vec3& axis, float angle, const scenefile::Vec3& scale,
                            const scenefile::Vec3& position)
{
    NodeTransform transform;
    transform.position = position;
    const float length = Length(axis);
    if (length > 0.0f && angle != 0.0f) {
        const float x = axis.x / length, y = axis.y / length, z = axis.z / length;
        const float c = std::cos(-angle), s = std::sin(-angle), t = 1.0f - c;
        transform.x = {t * x * x + c, t * x * y + s * z, t * x * z - s * y};
        transform.y = {t * x * y - s * z, t * y * y + c, t * y * z + s * x};
        transform.z = {t * x * z + s * y, t * y * z - s * x, t * z * z + c};
    }
    transform.x = Scaled(transform.x, scale.x);
    transform.y = Scaled(transform.y, scale.y);
    transform.z = Scaled(transform.z, scale.z);
    return transform;
}
}  // namespace

scenefile::Vec3 NodeTransform::point(const scenefile::Vec3& p) const
{
    return {p.x * x.x + p.y * y.x + p.z * z.x + position.x, p.x * x.y + p.y * y.y + p.z * z.y + position.y,
            p.x * x.z + p.y * y.z + p.z * z.z + position.z};
}

scenefile::Vec3 NodeTransform::direction(const scenefile::Vec3& d) const
{
    auto unit = [](const scenefile::Vec3& v) {
        const float length = Length(v);
        return length > 0.0f ? Scaled(v, 1.0f / length) : v;
    };
    const scenefile::Vec3 ux = unit(x), uy = unit(y), uz = unit(z);
    return {d.x * ux.x + d.y * uy.x + d.z * uz.x, d.x * ux.y + d.y * uy.y + d.z * uz.y,
            d.x * ux.z + d.y * uy.z + d.z * uz.z};
}

NodeTransform ReadNodeTransform(const AseText& text, Span nodeTm)
{
    Cursor rows(text, nodeTm);
    NodeTransform transform;
    if (rows.find("*TM_ROW0")) {
        transform.x = ReadVec3(rows);
        if (rows.find("*TM_ROW1")) transform.y = ReadVec3(rows);
        if (rows.find("*TM_ROW2")) transform.z = ReadVec3(rows);
        if (rows.find("*TM_ROW3")) transform.position = ReadVec3(rows);
        return transform;
    }
    scenefile::Vec3 position, axis, scale{1, 1, 1};
    float angle = 0.0f;
    Cursor values(text, nodeTm);
    if (values.find("*TM_POS")) position = ReadVec3(values);
    if (values.find("*TM_ROTAXIS")) axis = ReadVec3(values);
    if (values.find("*TM_ROTANGLE")) angle = values.real();
    Cursor scaleCursor(text, nodeTm);
    if (scaleCursor.find("*TM_SCALE")) scale = ReadVec3(scaleCursor);
    return FromAxisAngle(axis, angle, scale, position);
}

}  // namespace aseimport
