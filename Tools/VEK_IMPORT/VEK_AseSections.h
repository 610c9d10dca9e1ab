// Shared by the converter's section writers (objects, materials, cameras, lights).
#pragma once

#include "VEK_Format.h"

#include "VEK_AseConverter.h"
#include "VEK_AseText.h"
#include "VEK_SceneFile.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace aseimport {

constexpr int kMaxGroupDepth = 32;

// Ends a conversion; thrown by a section writer, caught by ConvertAse only.
struct ConversionError {
    std::string caption;
    std::string message;
};

// The frames a node track covers: FIRSTFRAME to LASTFRAME, K ticks apart.
struct FrameRange {
    long long first = 0;
    long long last = 0;
    long long ticksPerFrame = 0;
    std::size_t count() const { return std::size_t(last - first + 1); }
    long long time(std::size_t key) const { return (first + (long long)key) * ticksPerFrame; }
};

// A node's transform as the file gives it in its "*NODE_TM": the images of the x, y and z
// axes (scaled) and the position, so a point p of the node's space is at
// p.x * x + p.y * y + p.z * z + position.
struct NodeTransform {
    scenefile::Vec3 x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1}, position;
    scenefile::Vec3 point(const scenefile::Vec3& p) const;
    // A direction turned by the rotation alone (the axes without their scale).
    scenefile::Vec3 direction(const scenefile::Vec3& d) const;
};
// printf into a std::string.
using ::FormatText;

// Where the records are: the blocks of the objects, cameras and lights in file order
// (grouped ones too) and the material list.
struct SceneLayout {
    std::vector<Span> objects, cameras, lights;
    Span materialList;
    bool hasMaterialList = false;
};

class SectionContext {
public:
    SectionContext(const AseText& text, const ConvertOptions& options, ImportLog& log)
        : text(text), options(options), log(log) {}

    const AseText& text;
    const ConvertOptions& options;
    ImportLog& log;
    SceneLayout layout;
    scenefile::ByteWriter out;
    long long lastFrame = 0;        // L: the scene has L + 1 frames
    long long ticksPerFrame = 0;    // K: frame f is at time f * K
    std::uint32_t lastCount = 0;    // count of the last key block, FOV or morph block
    FrameRange nodeFrames;          // the frames of every node track

    // The "*NODE_TM" of the node called name, wherever it stands; false when there is none.
    bool nodeTransform(const std::string& name, NodeTransform& transform) const;

    [[noreturn]] void fail(const std::string& reason) const;
    [[noreturn]] void fail(const char* caption, const std::string& message) const;
    // Fails when a value does not fit in 0..max.
    long long checkRange(long long value, long long max, const char* what, const std::string& name) const;
    // Fails when the file would grow past the limit by adding extra bytes.
    void checkSize(std::uint64_t extra) const;
    // Finds the records of the scene, looking into groups (at most kMaxGroupDepth deep).
    void findRecords(Span span, int depth = 0);
    // The block opening on the cursor's line; fails when there is none.
    Span requireBlock(Cursor& cursor, const char* keyword) const;
    // Names longer than the file can carry are cut, with a log line.
    std::string fitName(std::string name) const;
    void showConsoleMessage(const char* format, const std::string& name) const;
    // The name to write for the index-th record of a kind ("Object", "Camera", ...): its
    // own, or a generated one ("Object3") when it is empty.
    std::string recordName(const std::string& name, const char* kind, std::size_t index) const;

private:
    mutable std::unordered_map<std::string, Span> nodeTms_;   // first "*NODE_TM" of each name
    mutable bool nodeTmsIndexed_ = false;
};

// Calls read(cursor, index) for each "*keyword" entry of list, at most limit of them, with
// the cursor after the entry's index field (its digits may be glued to the keyword).
// Returns the number of entries read.
template <typename Read>
std::size_t ForEachEntry(const AseText& text, Span list, std::string_view keyword, std::size_t limit, Read read)
{
    std::size_t count = 0;
    Cursor cursor(text, list);
    for (std::string_view word = cursor.nextKeyword(); !word.empty() && count < limit; word = cursor.nextKeyword()) {
        std::string_view glued;
        if (!IsIndexedKeyword(word, keyword, glued)) continue;
        const long long index = glued.empty() ? cursor.integer() : ParseInteger(glued);
        read(cursor, index);
        ++count;
    }
    return count;
}

// ---- node animation -----------------------------------------------------------------------

// The "*TM_ANIMATION" block in span whose node name is nodeName.
bool FindNodeAnimation(const AseText& text, Span span, const std::string& nodeName, Span& animation);
// The inside of a track block (such as "*CONTROL_POS_TRACK") of an animation block.
bool FindTrack(const AseText& text, Span animation, std::string_view trackKeyword, Span& track);
// A sample of a track and its time in ticks.
template <typename Value>
struct TimedSample {
    long long time = 0;
    Value value;
};
// Samples of a track: the time, then 3 floats (positions, scales) or 4 (rotations).
std::vector<TimedSample<scenefile::Vec3>> ReadVectorSamples(const AseText& text, Span track,
                                                            std::string_view sampleKeyword);
std::vector<TimedSample<scenefile::AxisAngle>> ReadRotationSamples(const AseText& text, Span track);

// One key per frame of the range. A frame takes the last sample at or before its time (the
// exporter leaves out samples whose value did not change); before the first sample, rest.
std::vector<scenefile::Vec3> HoldEveryFrame(std::vector<TimedSample<scenefile::Vec3>> samples, const FrameRange& frames,
                                            const scenefile::Vec3& rest);
// Rotation samples are increments since the sample before: a frame takes the sample at its
// time (or the last one since the frame before), a frame without one turns by 0 about the
// axis of the sample before it (restAxis before the first).
std::vector<scenefile::AxisAngle> RotationEveryFrame(std::vector<TimedSample<scenefile::AxisAngle>> samples,
                                                     const FrameRange& frames, const scenefile::Vec3& restAxis);

// The transform of the "*NODE_TM" block inside: its TM_ROW lines, or made from TM_POS,
// TM_ROTAXIS, TM_ROTANGLE and TM_SCALE when the rows are missing.
NodeTransform ReadNodeTransform(const AseText& text, Span nodeTm);

// One value per frame 0..L from samples taken at arbitrary times: frame f takes the last
// sample at or before f * K (the first sample when none is that early, fallback when
// there are no samples). gaps tells whether some frame had no sample at its own time.
template <typename Value>
std::vector<Value> SampleEveryFrame(std::vector<std::pair<long long, Value>> samples, long long lastFrame,
                                    long long ticksPerFrame, const Value& fallback, bool& gaps)
{
    std::stable_sort(samples.begin(), samples.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Value> frames;
    frames.reserve(std::size_t(lastFrame + 1));
    gaps = false;
    std::size_t next = 0;   // first sample later than the current frame's time
    for (long long frame = 0; frame <= lastFrame; ++frame) {
        const long long time = frame * ticksPerFrame;
        while (next < samples.size() && samples[next].first <= time) ++next;
        gaps = gaps || next == 0 || samples[next - 1].first != time;
        if (samples.empty()) frames.push_back(fallback);
        else frames.push_back(samples[next > 0 ? next - 1 : 0].second);
    }
    return frames;
}


// Three numbers at the cursor as a point or colour, as the file gives them.
inline scenefile::Vec3 ReadVec3(Cursor& cursor)
{
    scenefile::Vec3 value;
    value.x = cursor.real();
    value.y = cursor.real();
    value.z = cursor.real();
    return value;
}

// ---- sections -----------------------------------------------------------------------------

// Reads every block with a Reader (constructed from the context, the block and its index
// in the section, `read()` giving the record) and writes the record; returns how many
// were written.
template <typename Reader, typename Record>
std::uint32_t WriteRecords(SectionContext& context, const std::vector<Span>& blocks, const char* what,
                           void (*write)(scenefile::ByteWriter&, const Record&))
{
    context.checkRange((long long)blocks.size(), 0xFFFF, "the number of", what);
    for (std::size_t index = 0; index < blocks.size(); ++index) {
        write(context.out, Reader(context, blocks[index], index).read());
        context.checkSize(0);
    }
    return std::uint32_t(blocks.size());
}

std::uint32_t WriteObjects(SectionContext& context);
std::uint32_t WriteMaterials(SectionContext& context);
std::uint32_t WriteCameras(SectionContext& context);
std::uint32_t WriteLights(SectionContext& context);

}  // namespace aseimport

