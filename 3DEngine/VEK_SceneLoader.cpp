#include "VEK_SceneLoader.h"

#include "VEK_AnimController.h"
#include "VEK_SceneRecords.h"
#include "vekPlatform.h"

#include <cstdarg>
#include <cstdio>
#include <unordered_map>
#include <utility>
#include <vector>

using scenefile::Vec3;

namespace {

// ---- fixed texts ------------------------------------------------------------------------

constexpr char kLogFile[] = "Loader.LOG";
constexpr char kOpened[] = "\n----Opened Scene File %s";
constexpr char kObjectsBanner[] = "\n**** Processing Objects";
constexpr char kObjectLine[] = "\nProcessing Object %s";
constexpr char kParentLine[] = "\nObject %s parent's :%s";
constexpr char kRootLine[] = "\n%s ";
constexpr char kLinkLine[] = "\n \t%s <- %s";
constexpr char kObjectsEnd[] = "\nLoaded Objects in %3.3f seconds\n";
constexpr char kMaterialsBanner[] = "\n**** Processing Materials ";
constexpr char kMaterialLine[] = "\nProcessing Material %s";
constexpr char kMaterialsEnd[] = "\nLoaded Materials in %3.3f seconds\n";
constexpr char kCamerasBanner[] = "\n**** Processing Cameras";
constexpr char kCameraLine[] = "\nProcessing Camera %s";
constexpr char kCamerasEnd[] = "\nLoaded Cameras in %3.3f seconds\n";
constexpr char kLightsBanner[] = "\n**** Processing Lights";
constexpr char kLightLine[] = "\nProcessing Light %s";
constexpr char kLightsEnd[] = "\nLoaded Lights in %3.3f seconds\n";
constexpr char kSceneEnd[] = "\nLoaded Scene in %3.3f seconds\n";
constexpr char kRejectedLine[] = "\nScene file rejected at byte %zu: %s\n";
constexpr char kFlagNote[] = "\nAt byte %zu, %s: taken as set";
constexpr char kRejectedCaption[] = "K3D Loading ERROR";
constexpr char kRejectedMessage[] = "vek engine: scene file %s is damaged and was not loaded: %s (byte %zu)";

// Controller name suffixes: cameras', as the engine looks them up, and lights' (any name
// would do; the engine never looks these up).
constexpr char kFovSuffix[] = "_FOV";
constexpr char kPivotSuffix[] = "_Pivot";
constexpr char kTargetSuffix[] = "_Target";
constexpr char kLightPositionSuffix[] = "_Position";

// ---- conversions ------------------------------------------------------------------------

// Files keep the source's Z-up axes: a point (x, y, z) becomes (x, z, -y), w = 1.
Vector3 Converted(const Vec3& v)
{
    Vector3 result;
    result.setPoint(v.x, v.z, -v.y);
    return result;
}

float Degrees(float radians) { return radians * 180.0f / 3.1415927f; }

float FovDegrees(float radians) { return radians * 45.0f / 0.7854f; }

RotationKey ConvertedRotation(const Vec3& axis, float radians)
{
    const Vector3 converted = Converted(axis);
    return {converted.x, converted.y, converted.z, Degrees(radians)};
}

RotationKey ConvertedRotation(const scenefile::AxisAngle& key) { return ConvertedRotation({key.x, key.y, key.z}, key.angle); }

std::vector<Vector3> ConvertedPoints(const std::vector<Vec3>& points)
{
    std::vector<Vector3> result(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) result[i] = Converted(points[i]);
    return result;
}

// Rotation tracks start from their second key: the first sample is the rest pose.
std::vector<RotationKey> ConvertedRotations(const std::vector<scenefile::AxisAngle>& keys, bool wrapAbove360)
{
    std::vector<RotationKey> result(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        result[i] = ConvertedRotation(keys[i]);
        if (wrapAbove360 && result[i].angle > 360.0f) result[i].angle -= 360.0f;
    }
    if (result.size() >= 2) result[0] = result[1];
    return result;
}

// Materials store every colour channel inverted.
Colour InvertedColour(const Vec3& colour) { return {1.0f - colour.x, 1.0f - colour.y, 1.0f - colour.z, 1.0f}; }

ColourSet MaterialColours(const Vec3& ambient, const Vec3& diffuse, const Vec3& specular)
{
    return {InvertedColour(ambient), InvertedColour(diffuse), InvertedColour(specular)};
}

float Shininess(float shineStrength)
{
    const float shininess = shineStrength * 100.0f;
    return shininess > 128.0f ? 0.0f : shininess;
}

float Opacity(float transparency) { return transparency == 0.0f ? 1.0f : transparency; }

std::FILE* OpenLog(const char* mode) { return std::fopen(kLogFile, mode); }

void Log(std::FILE* log, const char* format, ...)
{
    if (!log) return;
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(log, format, arguments);
    va_end(arguments);
}

float Seconds() { return float(plat::TickCount()) * 0.001f; }

}  // namespace

// One section reader's log and clock: the banner on entry; the end line with the time
// spent, added to the load time, when the section completes.
class SceneLoader::Section {
public:
    Section(SceneLoader& loader, const char* banner) : loader_(loader), log_(OpenLog("a")), start_(Seconds())
    {
        Log(log_, banner);
    }
    ~Section()
    {
        if (log_) std::fclose(log_);
    }
    Section(const Section&) = delete;
    Section& operator=(const Section&) = delete;

    std::FILE* log() const { return log_; }
    bool end(const char* endLine)
    {
        const float seconds = Seconds() - start_;
        Log(log_, endLine, double(seconds));
        loader_.loadSeconds += seconds;
        return true;
    }

private:
    SceneLoader& loader_;
    std::FILE* log_;
    float start_;
};

SceneLoader::~SceneLoader() { file_.close(); }

void SceneLoader::open(const std::string& filePath)
{
    path = filePath;
    std::FILE* log = OpenLog("w");
    if (!file_.open(path)) {
        failed = true;
        if (log) std::fclose(log);
        return;
    }
    reader_ = std::make_unique<scenefile::RecordReader>(file_.data(), file_.size());
    Log(log, kOpened, path.c_str());
    if (reader_->readHeader(header_)) {
        objectCount = header_.objectCount;
        cameraCount = header_.cameraCount;
        lastFrameCopy = std::uint32_t(file_.data()[scenefile::kLastFrameCopyAt]) |
                        (std::uint32_t(file_.data()[scenefile::kLastFrameCopyAt + 1]) << 8);
        materialCount = header_.materialCount;
        lightCount = header_.lightCount;
        frameCount = std::uint32_t(header_.lastFrame) + 1;
        frameSpeed = header_.frameSpeed;
        ticksPerFrame = header_.ticksPerFrame;
    } else {
        problem_ = reader_->error();
        rejected_ = failed = true;
        Log(log, kRejectedLine, problem_.offset, problem_.what.c_str());
        reject(nullptr);
    }
    if (log) std::fclose(log);
}

void SceneLoader::reject(Section* section)
{
    if (section) {
        problem_ = reader_->error();
        rejected_ = failed = true;
        Log(section->log(), kRejectedLine, problem_.offset, problem_.what.c_str());
    }
    const std::string text = std::string(kRejectedMessage);
    std::vector<char> message(text.size() + path.size() + problem_.what.size() + 32);
    std::snprintf(message.data(), message.size(), kRejectedMessage, path.c_str(), problem_.what.c_str(),
                  problem_.offset);
    plat::ShowMessage(kRejectedCaption, message.data());
    file_.close();
}

void SceneLoader::logNotes(Section& section)
{
    for (const scenefile::ReadError& note : reader_->notes())
        Log(section.log(), kFlagNote, note.offset, note.what.c_str());
    reader_->notes().clear();
}

void SceneLoader::close()
{
    const bool complete = usable();
    file_.close();
    reader_.reset();
    if (!complete) return;
    std::FILE* log = OpenLog("a");
    Log(log, kSceneEnd, double(loadSeconds));
    if (log) std::fclose(log);
}

// ---- objects ----------------------------------------------------------------------------

namespace {

SceneObject* MakeObject(std::size_t index, scenefile::ObjectRecord& record)
{
    const RotationKey rotation = ConvertedRotation(record.rotationAxis, record.rotationAngle);
    const std::uint32_t v = std::uint32_t(record.vertices.size()), f = std::uint32_t(record.faces.size());
    auto* object = new SceneObject(std::uint8_t(index + 1), record.name, record.parent, Converted(record.position),
                                   rotation, v, f);
    for (std::uint32_t i = 0; i < v; ++i) {
        object->vertices[i].position = Converted(record.vertices[i]);
        object->vertices[i].normal = Converted(record.vertexNormals[i]);
    }
    for (std::uint32_t i = 0; i < f; ++i) {
        const scenefile::Face& face = record.faces[i];
        MeshFace& meshFace = object->faces[i];
        meshFace.a = face.a;
        meshFace.b = face.b;
        meshFace.c = face.c;
        meshFace.subMaterial = face.subMaterial;
        meshFace.normal = Converted(record.faceNormals[i]);
    }
    const std::size_t t = record.textureVertices.size();
    object->textureVertexCount = std::uint32_t(t);
    for (auto& coordinates : object->textureVertices) coordinates.resize(t);
    for (std::size_t i = 0; i < t; ++i) {
        object->textureVertices[0][i] = record.textureVertices[i].x;
        object->textureVertices[1][i] = record.textureVertices[i].y;
        object->textureVertices[2][i] = record.textureVertices[i].z;
    }
    for (auto& corners : object->textureFaces) corners.resize(f);
    for (std::uint32_t i = 0; i < f; ++i) {
        object->textureFaces[0][i] = record.textureFaces[i].a;
        object->textureFaces[1][i] = record.textureFaces[i].b;
        object->textureFaces[2][i] = record.textureFaces[i].c;
    }
    object->materialRef = record.material;
    return object;
}

// The object's keyed animation, or null when it has none. Position keys are kept relative
// to the object's transform position; scale keys swap y and z without the sign change;
// morph frames stay as the file has them.
AnimController* MakeObjectController(scenefile::ObjectRecord& record, const Vector3& transformPosition)
{
    if (!record.hasPositionKeys && !record.hasRotationKeys && !record.hasScaleKeys && record.morphFrames.empty())
        return nullptr;
    auto* controller = new AnimController(record.name);
    std::vector<Vector3> positions = ConvertedPoints(record.positionKeys);
    for (Vector3& key : positions) {
        key.x -= transformPosition.x;
        key.y -= transformPosition.y;
        key.z -= transformPosition.z;
    }
    controller->setPositionKeys(std::move(positions));
    controller->setRotationKeys(ConvertedRotations(record.rotationKeys, false));
    std::vector<Vector3> scales(record.scaleKeys.size());
    for (std::size_t i = 0; i < scales.size(); ++i)
        scales[i].setPoint(record.scaleKeys[i].x, record.scaleKeys[i].z, record.scaleKeys[i].y);
    controller->setScaleKeys(std::move(scales));
    controller->setVertexSets(std::move(record.morphFrames));
    return controller;
}

// Each object's chain of ancestors, nearest first. A parent is looked up by name as find
// does (the first match from the front); the walk stops at a missing parent, at a cycle
// and at the ancestor limit.
void LinkAncestors(ThingList& objects, std::FILE* log)
{
    std::unordered_map<std::string, SceneObject*> byName;
    for (SceneObject* object : objects.each<SceneObject>()) byName.emplace(object->name, object);
    for (SceneObject* object : objects.each<SceneObject>()) {
        if (object->parentName.empty()) {
            Log(log, kRootLine, object->name.c_str());
            continue;
        }
        for (std::string parent = object->parentName; !parent.empty();) {
            const auto found = byName.find(parent);
            if (found == byName.end()) break;
            SceneObject* ancestor = found->second;
            bool repeated = ancestor == object;
            for (std::uint32_t i = 0; i < object->ancestorCount && !repeated; ++i)
                repeated = object->ancestors[i] == ancestor;
            if (repeated || !object->addAncestor(ancestor)) break;
            Log(log, kLinkLine, object->name.c_str(), ancestor->name.c_str());
            parent = ancestor->parentName;
        }
    }
}

}  // namespace

bool SceneLoader::readObjects(ThingList& objects, ThingList& controllers)
{
    if (!usable()) return false;
    Section section(*this, kObjectsBanner);
    scenefile::ObjectRecord record;
    for (std::uint32_t i = 0; i < objectCount; ++i) {
        const bool read = reader_->readObject(i, record);
        if (reader_->named()) Log(section.log(), kObjectLine, record.name.c_str());
        logNotes(section);
        if (!read) {
            reject(&section);
            return false;
        }
        if (!record.parent.empty()) Log(section.log(), kParentLine, record.name.c_str(), record.parent.c_str());
        SceneObject* object = MakeObject(i, record);
        faceTotal += object->faceCount;
        if (AnimController* controller = MakeObjectController(record, object->transformPosition)) {
            object->attachController(controller);
            controllers.insert(controller);
        }
        objects.insert(object);
    }
    LinkAncestors(objects, section.log());
    return section.end(kObjectsEnd);
}

// ---- materials --------------------------------------------------------------------------

bool SceneLoader::readMaterials(ThingList& materials)
{
    if (!usable()) return false;
    Section section(*this, kMaterialsBanner);
    scenefile::MaterialRecord record;
    for (std::uint32_t i = 0; i < materialCount; ++i) {
        const bool read = reader_->readMaterial(i, record);
        if (reader_->named()) Log(section.log(), kMaterialLine, record.name.c_str());
        logNotes(section);
        if (!read) {
            reject(&section);
            return false;
        }
        auto* material = new Material(record.name, std::int32_t(record.index),
                                      MaterialColours(record.ambient, record.diffuse, record.specular),
                                      Shininess(record.shineStrength), Opacity(record.transparency));
        material->emission = record.multi ? 0.0f : record.selfIllumination;
        material->setSlots(record.multi, std::uint32_t(record.subMaterials.size()));
        if (!record.multi) material->setTextureFile(0, record.bitmap);
        for (std::uint32_t j = 0; j < record.subMaterials.size(); ++j) {
            const scenefile::SubMaterialRecord& sub = record.subMaterials[j];
            // Slot 0 is the material itself: sub-material 0's record is dropped, but its
            // bitmap becomes the material's own texture.
            material->setSubMaterial(j, new Material(sub.name, std::int32_t(j),
                                                     MaterialColours(sub.ambient, sub.diffuse, sub.specular),
                                                     Shininess(sub.shineStrength), Opacity(sub.transparency)));
            material->setTextureFile(j, sub.bitmap);
        }
        materials.insert(material);
    }
    return section.end(kMaterialsEnd);
}

// ---- cameras ----------------------------------------------------------------------------

bool SceneLoader::readCameras(ThingList& cameras, ThingList& controllers)
{
    // The camera section follows the materials directly, so reading goes on from there.
    if (!usable()) return false;
    Section section(*this, kCamerasBanner);
    scenefile::CameraRecord record;
    for (std::uint32_t i = 0; i < cameraCount; ++i) {
        const bool read = reader_->readCamera(i, record);
        if (reader_->named()) Log(section.log(), kCameraLine, record.name.c_str());
        logNotes(section);
        if (!read) {
            reject(&section);
            return false;
        }
        const RotationKey rotation = ConvertedRotation(record.rotationAxis, record.rotationAngle);
        auto* camera = new Camera(record.name, Converted(record.position), Converted(record.target), rotation,
                                  FovDegrees(record.fieldOfView));
        AnimController* fovController = nullptr;
        if (!record.fovKeys.empty()) {
            std::vector<float> fovs(record.fovKeys.size());
            for (std::size_t k = 0; k < fovs.size(); ++k) fovs[k] = FovDegrees(record.fovKeys[k]);
            fovController = new AnimController(record.name + kFovSuffix);
            fovController->setFovKeys(std::move(fovs));
            controllers.insert(fovController);
            camera->attachFovController(fovController);
        }
        if (record.hasNodeKeys && (!record.positionKeys.empty() || !record.rotationKeys.empty())) {
            // One controller serves the field of view and the node when both are keyed.
            AnimController* node = fovController ? fovController : new AnimController(record.name + kPivotSuffix);
            node->setPositionKeys(ConvertedPoints(record.positionKeys));
            node->setRotationKeys(ConvertedRotations(record.rotationKeys, true));
            if (node != fovController) controllers.insert(node);
            camera->attachNodeController(node);
        }
        if (record.hasTargetKeys && !record.targetKeys.empty()) {
            auto* target = new AnimController(record.name + kTargetSuffix);
            target->setPositionKeys(ConvertedPoints(record.targetKeys));
            controllers.insert(target);
            camera->attachTargetController(target);
        }
        cameras.insert(camera);
    }
    return section.end(kCamerasEnd);
}

// ---- lights -----------------------------------------------------------------------------

namespace {
AnimController* MakePositionController(const std::string& name, const std::vector<Vec3>& keys)
{
    if (keys.empty()) return nullptr;
    auto* controller = new AnimController(name);
    controller->setPositionKeys(ConvertedPoints(keys));
    return controller;
}
}  // namespace

bool SceneLoader::readLights(ThingList& targetLights, ThingList& omniLights, ThingList& controllers)
{
    if (!usable()) return false;
    Section section(*this, kLightsBanner);
    scenefile::LightRecord record;
    for (std::uint32_t i = 0; i < lightCount; ++i) {
        const bool read = reader_->readLight(i, record);
        if (reader_->named()) Log(section.log(), kLightLine, record.name.c_str());
        logNotes(section);
        if (!read) {
            reject(&section);
            return false;
        }
        const float colour[3] = {record.colour.x, record.colour.y, record.colour.z};
        const float attenuation = absolute(1.0f - record.intensity);
        const std::int32_t glLight = GL_LIGHT0 + std::int32_t(i);
        Light* light;
        if (record.kind == scenefile::LightKind::target) {
            light = new TargetLight(record.name, colour, attenuation, Converted(record.target),
                                    Converted(record.position), glLight);
            targetLights.insert(light);
        } else {
            light = new OmniLight(record.name, colour, attenuation, Converted(record.position), glLight);
            omniLights.insert(light);
        }
        if (AnimController* position = MakePositionController(record.name + kLightPositionSuffix, record.positionKeys)) {
            controllers.insert(position);
            light->attachPositionController(position);
        }
        if (AnimController* target = MakePositionController(record.name + kTargetSuffix, record.targetKeys)) {
            controllers.insert(target);
            light->attachTargetController(target);
        }
    }
    return section.end(kLightsEnd);
}
