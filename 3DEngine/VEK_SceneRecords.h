// The records of a loaded scene: cameras, mesh objects, materials and lights. A Scene
// owns them through its lists; records refer to their animation controllers but never
// own them (the scene's controller list does).
#pragma once

#include "VEK_AnimController.h"
#include "VEK_Math.h"
#include "VEK_Particle_Emit.h"
#include "VEK_TextureImage.h"
#include "VEK_Thing.h"

#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Material;

// GL work that records need once a GL context exists. The renderer installs these; until
// then (and in tests, which have no context) records are created and named without GL.
struct RecordGLHooks {
    // Run by every Material constructor: the multitexture capability check.
    void (*checkCapabilities)(Material& material) = nullptr;
    // Decodes a material's texture file (from Data/) into its image.
    void (*loadTexture)(TextureImage& image, const std::string& fileName) = nullptr;
};
RecordGLHooks& GLHooks();

// Red, green, blue, alpha.
using Colour = std::array<float, 4>;

struct ColourSet {
    Colour ambient{};
    Colour diffuse{};
    Colour specular{};
};

struct MeshVertex {
    Vector3 position;
    Vector3 normal;
    float work[3] = {0, 0, 0};      // the renderer's working values
    Colour colour{1, 1, 1, 1};
};

struct MeshFace {
    Vector3 normal;
    std::uint32_t a = 0, b = 0, c = 0;   // vertex indices, each below the vertex count
    std::int32_t work = 0;               // the renderer's working value
    float hit = 999999.0f;               // collision hit value
    std::uint32_t subMaterial = 0;
};

// The camera-hit sweep: a precomputed path added to the eye.
struct CameraSweep {
    bool built = false, enabled = false, done = false, reversing = false;
    std::int32_t index = 0, step = 0;
    float offsetX[256] = {};
    float offsetY[256] = {};
};

class Camera : public Thing {
public:
    // rotation is axis x, y, z and angle in degrees; fov in degrees. The reference
    // distance d and everything derived from it come from position and target.
    Camera(const std::string& name, const Vector3& position, const Vector3& target, const RotationKey& rotation,
           float fov);

    // d: the square root of the summed absolute coordinate differences of eye and target.
    static float ReferenceDistance(const Vector3& position, const Vector3& target);

    void attachNodeController(AnimController* controller);
    void attachTargetController(AnimController* controller);
    void attachFovController(AnimController* controller);

    bool fogEnabled = false;
    float fogStart = 0;
    float fogEnd;
    float fogDensity = 0.02f;
    GLenum fogMode = GL_LINEAR;
    Colour fogColour{0.1f, 0.1f, 0.1f, 1.0f};
    bool gravity = false;            // stored for the script; nothing applies gravity
    bool wallTest = true;
    float aspect = 1.3f;
    AnimController* nodeController = nullptr;
    bool hasNodeKeys = false;
    AnimController* targetController = nullptr;
    bool hasTargetKeys = false;
    AnimController* fovController = nullptr;
    bool hasFovKeys = false;
    float fov;                       // degrees
    float nearDistance;              // d / 1.8
    float halfDistance;              // d / 2
    Vector3 eye;
    Vector3 target;
    RotationKey rotation;            // degrees
    float distance;                  // d; the script's radius replaces it
    bool inputEnabled = true, keyMoved = false, mouseMoved = false;
    bool moveFlag = false, strafeFlag = false, collidedFlag = false;
    bool f11Held = false;            // F11 was down at the last keyboard read: one toggle per press
    float jumpSpeed;                 // d * 8.6; stored only
    Vector3 viewTarget, viewEye, viewUp, viewWork;   // start as target, eye and +y
    float moveSpeed = 1.2f, strafeSpeed = 1.2f;
    float pitchAngle = 0, yawAngle = 0;   // radians
    Vector3 gravityVector;           // (0, d / 10.7, 0); stored only
    float startHeight;               // the eye's y at load
    float collisionRadius[3] = {0, 0, 0};   // set with the script's radius
    float viewport[4] = {0, 0, 512.0f, 512.0f};   // x, y, width, height
    CameraSweep sweep;
};

class SceneObject : public Thing {
public:
    static constexpr std::uint32_t kMaxAncestors = 64;

    // rotation is axis x, y, z and angle in degrees; position is the converted transform
    // position. The vertex and face arrays are made with their counts, ready to fill.
    SceneObject(std::uint8_t id, const std::string& name, const std::string& parentName, const Vector3& position,
                const RotationKey& rotation, std::uint32_t vertexCount, std::uint32_t faceCount);

    // Attaches the controller; the has-flags follow the tracks it carries.
    void attachController(AnimController* animController);
    // False (and nothing added) once kMaxAncestors are linked.
    bool addAncestor(SceneObject* ancestor);

    std::string parentName;          // empty: no parent
    ParticleEmitter emitter;         // configured by the script's particle element
    std::int32_t D = 1, S = 1;       // stored for the script only
    bool isEmitter = false;
    bool hasVertexSets = false;
    bool hasParent;
    std::array<SceneObject*, kMaxAncestors> ancestors{};   // parent first
    std::uint32_t ancestorCount = 0;
    bool impostor = false;
    float eyeDistance = 0;
    AnimController* controller = nullptr;
    bool hasPositionKeys = false, hasScaleKeys = false, hasRotationKeys = false;
    std::uint8_t id;                 // load position + 1, modulo 256
    std::int32_t materialRef = 0;
    bool multiMaterial = false;
    Material* material = nullptr;    // bound by the framework from materialRef
    Vector3 transformPosition;       // position keys are relative to it
    Vector3 origin;                  // centre of rotation and scaling
    Vector3 position;                // transformPosition * -2: where an impostor stands
    RotationKey rotation;
    std::vector<MeshVertex> vertices;
    std::vector<MeshFace> faces;
    const MeshVertex* drawnVertices; // vertices; morph frames are positions in the controller
    const VertexSet* drawnVertexSet = nullptr;   // the morph frame drawn this frame, if any
    Vector3 currentPosition;         // the position in use this frame: a key's, or origin
    std::uint32_t vertexCount;
    std::uint32_t faceCount;
    std::vector<std::uint32_t> textureFaces[3];   // texture vertex of corner a, b, c per face
    std::vector<float> textureVertices[3];        // u, v, w per texture vertex
    std::uint32_t textureVertexCount = 0;
};

class Material : public Thing {
public:
    static constexpr std::uint32_t kSlots = 10;   // slot 0 is the material itself

    Material(const std::string& name, std::int32_t index, const ColourSet& colours, float shiny, float opacity);

    // Takes ownership. Slot 0 stands for the material itself: a material given for it is
    // dropped; so is one for a slot beyond the last.
    void setSubMaterial(std::uint32_t slot, Material* material);
    void setSlots(bool multi, std::uint32_t count);
    // Slot 0 is this material, 1 to 9 its sub-materials; null for an empty slot.
    Material* slot(std::uint32_t slot);
    // Names the texture of a slot's image and hands it to the texture hook.
    void setTextureFile(std::uint32_t slot, const std::string& fileName);

    std::uint8_t blendfunc = 0;
    std::uint8_t subMaterialBlend = 0;   // a sub-material's blendfunc; not read by drawing
    std::uint8_t combine = 0;
    ColourSet colours;
    ColourSet baseColours;           // a second copy, kept as loaded
    TextureImage image;
    bool faceted = false;
    float wireSize = 1.0f;
    bool wire = false;
    bool glossbump = false, glossalpha = false;
    bool rgbaDone = false;
    float txt2rgba[4] = {0, 0, 0, 0};
    bool bump = false, alpha = false;
    float emission = 0;
    float opacity;
    float shiny;                     // 0 .. 128
    bool env = false, multipass = false, twoside = false;
    std::int32_t index;
    bool hasSubMaterials = false;
    std::uint32_t subMaterialCount = 1;
    std::unique_ptr<Material> subMaterials[kSlots];   // [0] stays empty
    GLuint textureName = 0;
    std::uint8_t runtimeErrorsShown = 0;   // drawing's "Runtime Error" boxes shown so far (bits)
};

class Light : public Thing {
public:
    // colour is red, green, blue; point is where the light is drawn (w = 1).
    Light(const std::string& name, const float colour[3], float attenuation, const Vector3& point, std::int32_t glLight);

    void attachPositionController(AnimController* controller);
    void attachTargetController(AnimController* controller);

    ColourSet colours;               // ambient c, diffuse c * 1.15, specular c * 1.25
    float incStep = 0, decStep = 0, limitSup = 0;
    bool blockLight = false;
    float currentAttenuation;        // moved by occlusion fading; starts at the base value
    std::int32_t attenuationMode = -1;
    bool glowEnabled = true;
    AnimController* positionController = nullptr;
    bool hasPositionKeys = false;
    AnimController* targetController = nullptr;
    bool hasTargetKeys = false;
    float spotExponent = 45.02f;
    float spotCutoff = 180.0f;
    float baseAttenuation;
    std::int32_t glLight;            // GL_LIGHT0 + load position among all lights
    Vector3 point;
    TextureImage glowImages[4];
    GLuint glowTexture1 = 0, glowTexture2 = 0;
    float glowMin = 0, glowMax = 0, glowStep = 0;
};

class OmniLight : public Light {
public:
    using Light::Light;
};

class TargetLight : public Light {
public:
    // Drawn at its target; position is where the light itself stands.
    TargetLight(const std::string& name, const float colour[3], float attenuation, const Vector3& target,
                const Vector3& position, std::int32_t glLight);

    Vector3 position;
};
