// Sampled animation: one key per frame per track, no interpolation. A controller holds a
// frame index per track that the update cycle steps and wraps.
#pragma once

#include "VEK_AnimRegion.h"
#include "VEK_Math.h"
#include "VEK_SceneFile.h"
#include "VEK_Thing.h"

#include <cstdint>
#include <vector>

// Axis x, y, z and angle in degrees.
struct RotationKey {
    float x = 0, y = 0, z = 0, angle = 0;
};

// A morph frame: the mesh's vertex positions for one frame, as the file stores them.
using VertexSet = std::vector<scenefile::Vec3>;

// The samples of one frame across all tracks (each track only fills its own field).
struct AnimKey {
    RotationKey rotation;
    Vector3 position;
    Vector3 scale;
    const VertexSet* vertexSet = nullptr;
    float fov = 0;
};

// One track: its keys and the index of the current one. The index stays below the count.
template <typename Key>
struct AnimTrack {
    std::vector<Key> keys;
    std::uint32_t frame = 0;

    bool present() const { return !keys.empty(); }
    std::uint32_t count() const { return std::uint32_t(keys.size()); }
    const Key& current() const
    {
        static const Key none{};
        return frame < keys.size() ? keys[frame] : none;
    }
};

class AnimController : public Thing {
public:
    explicit AnimController(const std::string& name);

    // Tracks. A track with no keys is no track: the has-flags follow the key arrays.
    void setPositionKeys(std::vector<Vector3> keys) { position_.keys = std::move(keys); }
    void setRotationKeys(std::vector<RotationKey> keys) { rotation_.keys = std::move(keys); }
    void setScaleKeys(std::vector<Vector3> keys) { scale_.keys = std::move(keys); }
    void setFovKeys(std::vector<float> keys) { fov_.keys = std::move(keys); }
    void setVertexSets(std::vector<VertexSet> sets) { vertexSets_.keys = std::move(sets); }
    bool hasPosition() const { return position_.present(); }
    bool hasRotation() const { return rotation_.present(); }
    bool hasScale() const { return scale_.present(); }
    bool hasFov() const { return fov_.present(); }
    bool hasVertexSets() const { return vertexSets_.present(); }
    std::uint32_t positionCount() const { return position_.count(); }
    std::uint32_t rotationCount() const { return rotation_.count(); }
    std::uint32_t scaleCount() const { return scale_.count(); }
    std::uint32_t fovCount() const { return fov_.count(); }
    std::uint32_t vertexSetCount() const { return vertexSets_.count(); }
    const std::vector<Vector3>& positionKeys() const { return position_.keys; }
    const std::vector<RotationKey>& rotationKeys() const { return rotation_.keys; }
    const std::vector<Vector3>& scaleKeys() const { return scale_.keys; }
    const std::vector<float>& fovKeys() const { return fov_.keys; }
    const std::vector<VertexSet>& vertexSets() const { return vertexSets_.keys; }

    std::uint32_t positionFrame() const { return position_.frame; }
    std::uint32_t rotationFrame() const { return rotation_.frame; }
    std::uint32_t scaleFrame() const { return scale_.frame; }
    std::uint32_t fovFrame() const { return fov_.frame; }
    std::uint32_t vertexSetFrame() const { return vertexSets_.frame; }

    // Sampling. rotation() also remembers the key's axis and angle for the next step, and
    // returns that axis with the accumulated angle rotAngle.
    const Vector3& position() const { return position_.current(); }
    RotationKey rotation();
    const Vector3& scale() const { return scale_.current(); }
    float fov() const { return fov_.current(); }
    const VertexSet* vertexSet() const;
    // Every track's current key at once (rotation as stored, without the side effect).
    AnimKey currentKey() const;

    // One update: through the region in play, or frameStep frames along every track.
    void step();
    // Every track moves on by frames at once (the frame hoop), wrapping to key 0.
    void jump(std::int32_t frames);

    // Regions: create one on this controller; select one by name (none: play the whole
    // tracks). Selecting puts every track but the vertex sets on the region's start.
    AnimRegion* addRegion(const std::string& name, std::uint32_t start, std::uint32_t end, bool loop,
                          std::int32_t loops, bool forward);
    void selectRegion(const std::string& name);

    bool enabled = true;
    std::int32_t frameStep = 1;
    float rotAxis[3] = {0, 0, 0};   // axis of the rotation key sampled last
    float rotKeyAngle = 0;          // its angle, degrees
    float rotAngle = 0;             // accumulated angle, degrees
    AnimRegion* frameSource = nullptr;
    ThingList regions;

private:
    void advance(std::int32_t frames);
    void stepInRegion();
    bool axisHasNegative() const { return rotAxis[0] < 0 || rotAxis[1] < 0 || rotAxis[2] < 0; }

    AnimTrack<Vector3> position_;
    AnimTrack<RotationKey> rotation_;
    AnimTrack<Vector3> scale_;
    AnimTrack<float> fov_;
    AnimTrack<VertexSet> vertexSets_;
};
