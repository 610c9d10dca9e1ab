// The conversion driver: decodes and checks the text, writes the header, runs the four
// section writers in file order and fills in the counts.
#include "VEK_AseConverter.h"

#include "VEK_AseSections.h"
#include "VEK_ImportTexts.h"
#include "vekPlatform.h"

#include <algorithm>
#include <cstdarg>
#include <new>

namespace aseimport {


// ---- SectionContext ---------------------------------------------------------------------

void SectionContext::fail(const std::string& reason) const
{
    throw ConversionError{text::kDllCaption, FormatText(text::kBadScene, options.inputName.c_str(), reason.c_str())};
}

void SectionContext::fail(const char* caption, const std::string& message) const
{
    throw ConversionError{caption, message};
}

long long SectionContext::checkRange(long long value, long long max, const char* what, const std::string& name) const
{
    if (value < 0 || value > max) fail(FormatText(text::kOutOfRange, what, name.c_str(), value, max));
    return value;
}

void SectionContext::checkSize(std::uint64_t extra) const
{
    if (out.size() + extra > options.maxOutputBytes) fail(FormatText(text::kTooBig, options.maxOutputBytes >> 20));
}

Span SectionContext::requireBlock(Cursor& cursor, const char* keyword) const
{
    const std::size_t at = cursor.position();
    const Span inside = cursor.block();
    if (cursor.position() == at) fail(FormatText(text::kNoBlock, keyword, this->text.lineOf(at)));
    return inside;
}

std::string SectionContext::fitName(std::string name) const
{
    constexpr std::size_t maxLength = scenefile::kMaxNameLength;
    if (name.size() <= maxLength) return name;
    std::string cut = name.substr(0, maxLength);
    log.write(text::kNameCut, name.c_str(), maxLength, cut.c_str());
    return cut;
}

std::string SectionContext::recordName(const std::string& name, const char* kind, std::size_t index) const
{
    if (!name.empty()) return fitName(name);
    const std::string generated = kind + std::to_string(index);
    log.write(text::kNameGenerated, kind, index, generated.c_str());
    return generated;
}

bool SectionContext::nodeTransform(const std::string& name, NodeTransform& transform) const
{
    if (!nodeTmsIndexed_) {
        nodeTmsIndexed_ = true;
        Cursor cursor(this->text, this->text.all());
        while (cursor.find("*NODE_TM")) {
            const Span inside = cursor.block();
            Cursor named(this->text, inside);
            if (named.find("*NODE_NAME")) nodeTms_.emplace(named.quoted(), inside);
        }
    }
    const auto found = nodeTms_.find(name);
    if (found == nodeTms_.end()) return false;
    transform = ReadNodeTransform(this->text, found->second);
    return true;
}

void SectionContext::findRecords(Span span, int depth)
{
    Cursor cursor(this->text, span);
    std::size_t at = 0;
    for (std::string_view word = cursor.nextKeywordAtLevel(&at); !word.empty(); word = cursor.nextKeywordAtLevel(&at)) {
        std::vector<Span>* records = word == "GEOMOBJECT"     ? &layout.objects
                                     : word == "CAMERAOBJECT" ? &layout.cameras
                                     : word == "LIGHTOBJECT"  ? &layout.lights
                                                              : nullptr;
        if (records) {
            const std::string keyword = "*" + std::string(word);
            records->push_back(requireBlock(cursor, keyword.c_str()));
        } else if (word == "MATERIAL_LIST" && !layout.hasMaterialList) {
            layout.materialList = cursor.block();
            layout.hasMaterialList = true;
        } else if (word == "SCENE" || word == "HELPEROBJECT" || word == "SHAPEOBJECT" || word == "MATERIAL_LIST") {
            cursor.block();
        } else {
            // Groups, and blocks this reader does not know, may hold records.
            const Span inside = cursor.block();
            if (inside.empty()) continue;
            if (depth >= kMaxGroupDepth) fail(FormatText(text::kTooDeep, kMaxGroupDepth, this->text.lineOf(at)));
            findRecords(inside, depth + 1);
        }
    }
}

void SectionContext::showConsoleMessage(const char* format, const std::string& name) const
{
    if (!options.consoleMessages) return;
    const std::string message = FormatText(format, name.c_str());
    plat::ShowMessage(text::kConsoleCaption, message.c_str());
}

// ---- driver -------------------------------------------------------------------------------

namespace {
constexpr std::string_view kExportMark = "*3DSMAX_ASCIIEXPORT";

bool StartsLikeAse(std::string_view text)
{
    std::size_t at = text.find_first_not_of(" \t\r\n");
    if (at == std::string_view::npos || text.compare(at, kExportMark.size(), kExportMark) != 0) return false;
    at += kExportMark.size();
    return at == text.size() || text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n';
}

long long SceneValue(SectionContext& context, const char* keyword)
{
    Cursor cursor(context.text, context.text.all());
    const long long value = cursor.find(keyword) ? cursor.integer() : 0;
    return context.checkRange(value, 0xFFFF, "the scene value", keyword + 1);
}

void WriteScene(SectionContext& context, ConvertResult& result)
{
    scenefile::WriteHeaderStart(context.out);
    const long long firstFrame = SceneValue(context, "*SCENE_FIRSTFRAME");
    context.lastFrame = SceneValue(context, "*SCENE_LASTFRAME");
    const long long frameSpeed = SceneValue(context, "*SCENE_FRAMESPEED");
    context.ticksPerFrame = SceneValue(context, "*SCENE_TICKSPERFRAME");
    context.nodeFrames = {std::min(firstFrame, context.lastFrame), context.lastFrame, context.ticksPerFrame};
    scenefile::WriteSceneInfo(context.out, std::uint16_t(context.lastFrame), std::uint16_t(frameSpeed),
                              std::uint16_t(context.ticksPerFrame));

    context.findRecords(context.text.all());
    scenefile::Header counts;
    counts.lastFrame = std::uint16_t(context.lastFrame);
    counts.objectCount = std::uint16_t(WriteObjects(context));
    result.stage = Stage::objects;
    context.log.checkpoint();
    counts.materialCount = std::uint16_t(WriteMaterials(context));
    result.stage = Stage::materials;
    context.log.checkpoint();
    counts.cameraCount = std::uint16_t(WriteCameras(context));
    result.stage = Stage::cameras;
    context.log.checkpoint();
    counts.lightCount = std::uint16_t(WriteLights(context));
    counts.reserved = std::uint16_t(context.lastCount);
    scenefile::WriteCounts(context.out, counts);
    result.stage = Stage::lights;
}

// A file the engine would refuse is never handed out as converted. (Files with embedded
// textures are for other readers: the loader does not read them.)
void CheckReadable(const SectionContext& context)
{
    if (context.options.embedTextures) return;
    scenefile::SceneRecords scene;
    scenefile::ReadError error;
    const auto& bytes = context.out.bytes();
    if (!scenefile::ReadScene(bytes.data(), bytes.size(), scene, &error, true))
        context.fail(FormatText(text::kUnreadableOutput, error.offset, error.what.c_str()));
}
}  // namespace

ConvertResult ConvertAse(std::string_view fileBytes, const ConvertOptions& options, ImportLog& log)
{
    ConvertResult result;
    try {
        if (fileBytes.empty())
            throw ConversionError{text::kDllCaption, FormatText(text::kEmptyInput, options.inputName.c_str())};
        std::string decoded;
        AseText text(DecodeAseText(fileBytes, decoded));
        if (!StartsLikeAse(text.text()))
            throw ConversionError{text::kDllCaption, FormatText(text::kNotAse, options.inputName.c_str())};
        std::string reason;
        if (!text.indexBlocks(&reason))
            throw ConversionError{text::kDllCaption,
                                  FormatText(text::kBadScene, options.inputName.c_str(), reason.c_str())};
        SectionContext context(text, options, log);
        context.out.bytes().reserve(fileBytes.size() / 4);
        WriteScene(context, result);
        CheckReadable(context);
        result.bytes = std::move(context.out.bytes());
        result.ok = true;
    } catch (const ConversionError& error) {
        result.caption = error.caption;
        result.message = error.message;
    } catch (const std::bad_alloc&) {
        result.caption = text::kDllCaption;
        result.message = FormatText(text::kBadScene, options.inputName.c_str(), "out of memory");
    }
    if (!result.ok) log.write(text::kLogFailed, result.message.c_str());
    return result;
}

}  // namespace aseimport
