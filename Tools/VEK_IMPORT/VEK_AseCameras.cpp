// The camera section: one record per "*CAMERAOBJECT" block, with its field-of-view
// animation and the sampled keys of the camera node and its ".Target" node.
#include "VEK_AseSections.h"
#include "VEK_ImportTexts.h"

#include <cmath>

namespace aseimport {
namespace {
using scenefile::Vec3;

constexpr float kFreeCameraDistance = 100.0f;   // when a free camera gives no target distance


class CameraReader {
public:
    CameraReader(SectionContext& context, Span camera, std::size_t index)
        : context_(context), text_(context.text), camera_(camera), index_(index)
    {
    }

    scenefile::CameraRecord read()
    {
        Cursor cursor(text_, camera_);
        name_ = cursor.find("*NODE_NAME") ? cursor.quoted() : std::string();
        context_.log.write(text::kProcessedCamera, name_.c_str());
        if (cursor.find("*TM_POS")) record_.position = ReadVec3(cursor);
        if (cursor.find("*TM_ROTAXIS")) record_.rotationAxis = ReadVec3(cursor);
        if (cursor.find("*TM_ROTANGLE")) record_.rotationAngle = cursor.real();
        if (cursor.find(".Target")) {
            if (cursor.find("*TM_POS")) record_.target = ReadVec3(cursor);
        } else {
            record_.target = freeCameraTarget();
        }
        if (cursor.find("*CAMERA_FOV")) record_.fieldOfView = cursor.real();
        readFieldOfViewKeys(Span{cursor.position(), camera_.end});
        readNodeKeys();
        record_.name = context_.recordName(name_, "Camera", index_);
        return std::move(record_);
    }

private:
    // A free camera has no target node: its target is put along its view direction (the
    // node's local -Z axis, the negated third row of its transform) at its target distance.
    Vec3 freeCameraTarget()
    {
        Cursor cursor(text_, camera_);
        const Vec3 axis = cursor.find("*TM_ROW2") ? ReadVec3(cursor) : Vec3{0, 0, 1};
        Cursor distanceCursor(text_, camera_);
        float distance = distanceCursor.find("*CAMERA_TDIST") ? distanceCursor.real() : 0.0f;
        if (!(distance > 0.0f)) distance = kFreeCameraDistance;
        const float length = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
        const Vec3 view = length > 0.0f ? Vec3{-axis.x / length, -axis.y / length, -axis.z / length} : Vec3{0, 0, -1};
        context_.log.write(text::kFreeCamera, name_.c_str(), distance);
        return {record_.position.x + view.x * distance, record_.position.y + view.y * distance,
                record_.position.z + view.z * distance};
    }

    // The field of view is animated when the camera has a "*CAMERA_ANIMATION" whose first
    // target distance equals the static one; the keys then give one value per frame 0..L.
    void readFieldOfViewKeys(Span rest)
    {
        Cursor cursor(text_, rest);
        const float staticDistance = cursor.find("*CAMERA_TDIST") ? cursor.real() : 0.0f;
        context_.log.write(text::kTargetDistance1, staticDistance);
        Cursor animationCursor(text_, rest);
        if (!animationCursor.find("*CAMERA_ANIMATION")) {
            context_.log.write(text::kCameraNoFov2, name_.c_str());
            return;
        }
        const Span animation = animationCursor.block();
        Cursor first(text_, animation);
        const float animatedDistance = first.find("*CAMERA_TDIST") ? first.real() : 0.0f;
        context_.log.write(text::kTargetDistance2, animatedDistance);
        if (staticDistance != animatedDistance) {
            context_.log.write(text::kCameraNoFov1, name_.c_str());
            return;
        }
        context_.log.write(text::kCameraFov, name_.c_str());
        context_.log.write(text::kFovWarning);
        context_.log.write(text::kFovKeyTime, int(context_.lastFrame * context_.ticksPerFrame));
        context_.checkSize(std::uint64_t(context_.lastFrame + 1) * 4);

        std::vector<std::pair<long long, float>> samples;
        std::vector<std::size_t> starts;
        Cursor times(text_, animation);
        while (times.find("*TIMEVALUE")) starts.push_back(times.position());
        for (std::size_t i = 0; i < starts.size(); ++i) {
            Cursor sample(text_, {starts[i], i + 1 < starts.size() ? starts[i + 1] : animation.end});
            const long long time = sample.integer();
            if (sample.find("*CAMERA_FOV")) samples.emplace_back(time, sample.real());
        }
        bool gaps = false;
        record_.fovKeys = SampleEveryFrame(std::move(samples), context_.lastFrame, context_.ticksPerFrame,
                                           record_.fieldOfView, gaps);
        if (gaps) context_.log.write(text::kFovGaps, name_.c_str(), int(context_.lastFrame));
        context_.log.write(text::kFovExported, int(record_.fovKeys.size()));
        context_.lastCount = std::uint32_t(record_.fovKeys.size());
    }

    // Node and target tracks give one key per frame (a track the file lacks, none).
    void readNodeKeys()
    {
        const FrameRange& frames = context_.nodeFrames;
        Span animation, track;
        if ((record_.hasNodeKeys = FindNodeAnimation(text_, camera_, name_, animation))) {
            context_.log.write(text::kSampleKeysWarning);
            if (FindTrack(text_, animation, "*CONTROL_POS_TRACK", track))
                record_.positionKeys =
                    HoldEveryFrame(ReadVectorSamples(text_, track, "CONTROL_POS_SAMPLE"), frames, record_.position);
            record_.rotationKeys.clear();
            if (FindTrack(text_, animation, "*CONTROL_ROT_TRACK", track))
                record_.rotationKeys = RotationEveryFrame(ReadRotationSamples(text_, track), frames, record_.rotationAxis);
            context_.lastCount = std::uint32_t(record_.rotationKeys.size());
        }
        if ((record_.hasTargetKeys = FindNodeAnimation(text_, camera_, name_ + ".Target", animation))) {
            if (FindTrack(text_, animation, "*CONTROL_POS_TRACK", track))
                record_.targetKeys =
                    HoldEveryFrame(ReadVectorSamples(text_, track, "CONTROL_POS_SAMPLE"), frames, record_.target);
            context_.lastCount = std::uint32_t(record_.targetKeys.size());
        }
    }

    SectionContext& context_;
    const AseText& text_;
    Span camera_;
    std::size_t index_;
    std::string name_;
    scenefile::CameraRecord record_;
};
}  // namespace

std::uint32_t WriteCameras(SectionContext& context)
{
    return WriteRecords<CameraReader>(context, context.layout.cameras, "cameras", scenefile::WriteCamera);
}

}  // namespace aseimport
