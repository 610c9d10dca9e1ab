// The light section: one record per "*LIGHTOBJECT" block. "Target" lights keep their
// target; every other type ("Omni", and the directional and free lights the engine has
// no kind for) is written as an omni light at its position.
#include "VEK_AseSections.h"
#include "VEK_ImportTexts.h"

namespace aseimport {
namespace {
using scenefile::Vec3;

class LightReader {
public:
    LightReader(SectionContext& context, Span light, std::size_t index)
        : context_(context), text_(context.text), light_(light), index_(index)
    {
    }

    scenefile::LightRecord read()
    {
        Cursor cursor(text_, light_);
        name_ = cursor.find("*NODE_NAME") ? cursor.quoted() : std::string();
        readKind();
        context_.log.write(text::kProcessedLight, name_.c_str());
        if (cursor.find("*TM_POS")) record_.position = readLoggedVec3(cursor);
        if (record_.kind == scenefile::LightKind::target) {
            context_.log.write(text::kSpotTarget, name_.c_str());
            if (cursor.find("*TM_POS")) record_.target = readLoggedVec3(cursor);
        }
        if (cursor.find("*LIGHT_COLOR")) record_.colour = readLoggedVec3(cursor);
        if (cursor.find("*LIGHT_INTENS")) record_.intensity = cursor.real();
        context_.log.write(text::kLightIntensity, record_.intensity);
        readKeys();
        record_.name = context_.recordName(name_, "Light", index_);
        return std::move(record_);
    }

private:
    void readKind()
    {
        Cursor cursor(text_, light_);
        const std::string type = cursor.find("*LIGHT_TYPE") ? std::string(cursor.restOfLine()) : std::string();
        record_.kind = type == "Target" ? scenefile::LightKind::target : scenefile::LightKind::omni;
        if (type != "Target" && type != "Omni") context_.log.write(text::kLightAsOmni, name_.c_str(), type.c_str());
    }

    Vec3 readLoggedVec3(Cursor& cursor)
    {
        const Vec3 value = ReadVec3(cursor);
        context_.log.write(text::kLightValue, value.x);
        context_.log.write(text::kLightValue, value.y);
        context_.log.write(text::kLightValue, value.z);
        return value;
    }

    void readKeys()
    {
        Span animation, track;
        if ((record_.hasPositionKeys = FindNodeAnimation(text_, light_, name_, animation))) {
            if (FindTrack(text_, animation, "*CONTROL_POS_TRACK", track))
                record_.positionKeys = HoldEveryFrame(ReadVectorSamples(text_, track, "CONTROL_POS_SAMPLE"),
                                                      context_.nodeFrames, record_.position);
            context_.lastCount = std::uint32_t(record_.positionKeys.size());
            context_.log.write(text::kLightAnimation, name_.c_str(), int(record_.positionKeys.size()));
        }
        if (record_.kind != scenefile::LightKind::target) return;
        if ((record_.hasTargetKeys = FindNodeAnimation(text_, light_, name_ + ".Target", animation))) {
            if (FindTrack(text_, animation, "*CONTROL_POS_TRACK", track))
                record_.targetKeys = HoldEveryFrame(ReadVectorSamples(text_, track, "CONTROL_POS_SAMPLE"),
                                                    context_.nodeFrames, record_.target);
            context_.lastCount = std::uint32_t(record_.targetKeys.size());
            context_.log.write(text::kLightTargetAnimation, name_.c_str(), int(record_.targetKeys.size()));
        }
    }

    SectionContext& context_;
    const AseText& text_;
    Span light_;
    std::size_t index_;
    std::string name_;
    scenefile::LightRecord record_;
};
}  // namespace

std::uint32_t WriteLights(SectionContext& context)
{
    return WriteRecords<LightReader>(context, context.layout.lights, "lights", scenefile::WriteLight);
}

}  // namespace aseimport
