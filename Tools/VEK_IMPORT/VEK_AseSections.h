// Shared by the converter's section writers (objects, materials, cameras, lights).
#pragma once

#include "VEK_Format.h"

#include "VEK_AseConverter.h"
#include "VEK_AseText.h"
#include "VEK_SceneFile.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace aseimport {

constexpr int kMaxGroupDepth = 32;

// Ends a conversion; thrown by a section writer, caught by ConvertAse only.
struct ConversionError {
    std::string caption;
    std::string message;
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
// Samples of a track: the time, then 3 floats (positions, scales) or 4 (rotations).
std::vector<scenefile::Vec3> ReadVectorSamples(const AseText& text, Span track, std::string_view sampleKeyword);
std::vector<scenefile::AxisAngle> ReadRotationSamples(const AseText& text, Span track);

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

// Reads every block with a Reader (constructed from the context and the block, `read()`
// giving the record) and writes the record; returns how many were written.
template <typename Reader, typename Record>
std::uint32_t WriteRecords(SectionContext& context, const std::vector<Span>& blocks, const char* what,
                           void (*write)(scenefile::ByteWriter&, const Record&))
{
    context.checkRange((long long)blocks.size(), 0xFFFF, "the number of", what);
    for (const Span block : blocks) {
        write(context.out, Reader(context, block).read());
        context.checkSize(0);
    }
    return std::uint32_t(blocks.size());
}

std::uint32_t WriteObjects(SectionContext& context);
std::uint32_t WriteMaterials(SectionContext& context);
std::uint32_t WriteCameras(SectionContext& context);
std::uint32_t WriteLights(SectionContext& context);

}  // namespace aseimport

