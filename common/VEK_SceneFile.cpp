#include "VEK_SceneFile.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace scenefile {

// ---- ByteWriter -----------------------------------------------------------------------

void ByteWriter::u16(std::uint16_t value)
{
    bytes_.push_back(std::uint8_t(value));
    bytes_.push_back(std::uint8_t(value >> 8));
}

void ByteWriter::u32(std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(std::uint8_t(value >> shift));
}

void ByteWriter::f32(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    u32(bits);
}

void ByteWriter::vec3(const Vec3& value)
{
    f32(value.x);
    f32(value.y);
    f32(value.z);
}

void ByteWriter::axisAngle(const AxisAngle& value)
{
    f32(value.x);
    f32(value.y);
    f32(value.z);
    f32(value.angle);
}

void ByteWriter::name(const std::string& text)
{
    // Readers take the count's low byte as the length: a longer count would make every
    // field after the name unreadable, so the name is cut instead.
    const std::size_t length = std::min(text.size(), kMaxNameLength);
    u16(std::uint16_t(length));
    raw(text.data(), length);
}

void ByteWriter::raw(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), bytes, bytes + size);
}

void ByteWriter::patchU16(std::size_t offset, std::uint16_t value)
{
    bytes_.at(offset) = std::uint8_t(value);
    bytes_.at(offset + 1) = std::uint8_t(value >> 8);
}

void ByteWriter::patchU32(std::size_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes_.at(offset + i) = std::uint8_t(value >> (8 * i));
}

KeyBlock::KeyBlock(ByteWriter& out) : out_(out), countAt_(out.size()) { out_.u32(kPendingKeyCount); }

void KeyBlock::finish(std::uint32_t count) { out_.patchU32(countAt_, count); }

// ---- header and records ---------------------------------------------------------------

void WriteHeaderStart(ByteWriter& out)
{
    out.raw(kMagic, kMagicSize);
    for (std::size_t i = kMagicSize; i < kStartSize; ++i) out.u8(' ');
}

void WriteSceneInfo(ByteWriter& out, std::uint16_t lastFrame, std::uint16_t frameSpeed, std::uint16_t ticksPerFrame)
{
    // The object section then continues at 56, over the trailing spaces of the start.
    out.bytes().resize(kLastFrameAt);
    out.u16(lastFrame);
    out.u16(frameSpeed);
    out.u16(ticksPerFrame);
}

void WriteCounts(ByteWriter& out, const Header& counts)
{
    // Sections overwrite the trailing spaces of the start; with no records at all they
    // stay, and the file is 69 bytes long.
    while (out.size() < kStartSize) out.u8(' ');
    out.patchU16(kObjectCountAt, counts.objectCount);
    out.patchU16(kCameraCountAt, counts.cameraCount);
    out.patchU16(kLastFrameCopyAt, counts.lastFrame);
    out.patchU16(kMaterialCountAt, counts.materialCount);
    out.patchU16(kLightCountAt, counts.lightCount);
    out.patchU16(kReservedAt, counts.reserved);
    out.patchU16(kReserved2At, 0);
}

namespace {
// Arrays of the record structs are written in one piece on a little-endian machine, where
// the structs have the file's byte layout; elsewhere value by value.
static_assert(sizeof(Vec3) == 12 && sizeof(AxisAngle) == 16 && sizeof(Face) == 8 && sizeof(TextureFace) == 12);

[[maybe_unused]] void WriteValue(ByteWriter& out, const Vec3& value) { out.vec3(value); }
[[maybe_unused]] void WriteValue(ByteWriter& out, const AxisAngle& value) { out.axisAngle(value); }
[[maybe_unused]] void WriteValue(ByteWriter& out, const Face& face)
{
    out.u16(face.a);
    out.u16(face.b);
    out.u16(face.c);
    out.u16(face.subMaterial);
}
[[maybe_unused]] void WriteValue(ByteWriter& out, const TextureFace& face)
{
    out.u32(face.a);
    out.u32(face.b);
    out.u32(face.c);
}

template <typename T>
void WriteArray(ByteWriter& out, const std::vector<T>& values)
{
    if constexpr (std::endian::native == std::endian::little) {
        out.raw(values.data(), values.size() * sizeof(T));
    } else {
        for (const T& value : values) WriteValue(out, value);
    }
}

template <typename T>
void WriteKeys(ByteWriter& out, const std::vector<T>& keys)
{
    KeyBlock block(out);
    WriteArray(out, keys);
    block.finish(std::uint32_t(keys.size()));
}

void WriteSurface(ByteWriter& out, const Vec3& ambient, const Vec3& diffuse, const Vec3& specular, float shine,
                  float shineStrength, float transparency, float wireSize)
{
    out.vec3(ambient);
    out.vec3(diffuse);
    out.vec3(specular);
    out.f32(shine);
    out.f32(shineStrength);
    out.f32(transparency);
    out.f32(wireSize);
}
}  // namespace

void WriteObject(ByteWriter& out, const ObjectRecord& object)
{
    out.name(object.name);
    out.name(object.parent);
    out.u16(object.hasPositionKeys);
    out.u16(object.hasRotationKeys);
    out.u16(object.hasScaleKeys);
    out.vec3(object.position);
    out.vec3(object.rotationAxis);
    out.f32(object.rotationAngle);
    out.u16(std::uint16_t(object.vertices.size()));
    out.u16(std::uint16_t(object.faces.size()));
    out.u16(!object.morphFrames.empty());
    WriteArray(out, object.vertices);
    WriteArray(out, object.faces);
    out.u32(std::uint32_t(object.textureVertices.size()));
    WriteArray(out, object.textureVertices);
    WriteArray(out, object.textureFaces);
    WriteArray(out, object.faceNormals);
    WriteArray(out, object.vertexNormals);
    out.u16(object.material);
    if (object.hasPositionKeys) WriteKeys(out, object.positionKeys);
    if (object.hasRotationKeys) WriteKeys(out, object.rotationKeys);
    if (object.hasScaleKeys) WriteKeys(out, object.scaleKeys);
    for (const auto& frame : object.morphFrames) WriteArray(out, frame);
}

void WriteMaterial(ByteWriter& out, const MaterialRecord& material)
{
    out.u32(material.index);
    out.name(material.name);
    out.u32(material.multi ? 1 : 0);
    WriteSurface(out, material.ambient, material.diffuse, material.specular, material.shine,
                 material.shineStrength, material.transparency, material.wireSize);
    if (!material.multi) {
        out.f32(material.selfIllumination);
        out.u16(0);
        out.name(material.bitmap);
        return;
    }
    out.u16(std::uint16_t(material.subMaterials.size()));
    for (const SubMaterialRecord& sub : material.subMaterials) {
        out.name(sub.name);
        WriteSurface(out, sub.ambient, sub.diffuse, sub.specular, sub.shine, sub.shineStrength, sub.transparency,
                     sub.wireSize);
        out.name(sub.bitmap);
    }
}

void WriteCamera(ByteWriter& out, const CameraRecord& camera)
{
    out.name(camera.name);
    out.vec3(camera.position);
    out.vec3(camera.rotationAxis);
    out.f32(camera.rotationAngle);
    out.vec3(camera.target);
    out.f32(camera.fieldOfView);
    out.u8(!camera.fovKeys.empty());
    for (float fov : camera.fovKeys) out.f32(fov);
    out.u8(camera.hasNodeKeys);
    if (camera.hasNodeKeys) {
        WriteKeys(out, camera.positionKeys);
        WriteKeys(out, camera.rotationKeys);
    }
    out.u8(camera.hasTargetKeys);
    if (camera.hasTargetKeys) WriteKeys(out, camera.targetKeys);
}

void WriteLight(ByteWriter& out, const LightRecord& light)
{
    const bool target = light.kind == LightKind::target;
    out.name(light.name);
    out.u8(std::uint8_t(light.kind));
    out.vec3(light.position);
    if (target) out.vec3(light.target);
    out.vec3(light.colour);
    out.f32(light.intensity);
    out.u8(light.hasPositionKeys);
    if (light.hasPositionKeys) WriteKeys(out, light.positionKeys);
    if (!target) return;
    out.u8(light.hasTargetKeys);
    if (light.hasTargetKeys) WriteKeys(out, light.targetKeys);
}

std::vector<std::uint8_t> WriteScene(const SceneRecords& scene)
{
    ByteWriter out;
    WriteHeaderStart(out);
    WriteSceneInfo(out, scene.header.lastFrame, scene.header.frameSpeed, scene.header.ticksPerFrame);
    for (const auto& object : scene.objects) WriteObject(out, object);
    for (const auto& material : scene.materials) WriteMaterial(out, material);
    for (const auto& camera : scene.cameras) WriteCamera(out, camera);
    for (const auto& light : scene.lights) WriteLight(out, light);
    Header counts = scene.header;
    counts.objectCount = std::uint16_t(scene.objects.size());
    counts.materialCount = std::uint16_t(scene.materials.size());
    counts.cameraCount = std::uint16_t(scene.cameras.size());
    counts.lightCount = std::uint16_t(scene.lights.size());
    WriteCounts(out, counts);
    return std::move(out.bytes());
}

bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string* error)
{
    const std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        if (error) *error = "cannot create " + temporary;
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        if (error) *error = "cannot write " + path;
        return false;
    }
    return true;
}

// ---- ByteReader -----------------------------------------------------------------------

bool ByteReader::fail()
{
    if (ok_) failedAt_ = offset_;
    ok_ = false;
    return false;
}

bool ByteReader::take(void* out, std::size_t count)
{
    if (!ok_ || count > size_ - offset_) return fail();
    std::memcpy(out, data_ + offset_, count);
    offset_ += count;
    return true;
}

bool ByteReader::u8(std::uint8_t& value) { return take(&value, 1); }

bool ByteReader::u16(std::uint16_t& value)
{
    std::uint8_t bytes[2];
    if (!take(bytes, 2)) return false;
    value = std::uint16_t(bytes[0] | (bytes[1] << 8));
    return true;
}

bool ByteReader::u32(std::uint32_t& value)
{
    std::uint8_t bytes[4];
    if (!take(bytes, 4)) return false;
    value = std::uint32_t(bytes[0]) | (std::uint32_t(bytes[1]) << 8) | (std::uint32_t(bytes[2]) << 16) |
            (std::uint32_t(bytes[3]) << 24);
    return true;
}

bool ByteReader::f32(float& value)
{
    std::uint32_t bits;
    if (!u32(bits)) return false;
    std::memcpy(&value, &bits, sizeof value);
    return true;
}

bool ByteReader::vec3(Vec3& value) { return f32(value.x) && f32(value.y) && f32(value.z); }

bool ByteReader::axisAngle(AxisAngle& value) { return f32(value.x) && f32(value.y) && f32(value.z) && f32(value.angle); }

bool ByteReader::name(std::string& text, std::size_t maxLength)
{
    std::uint8_t length = 0;
    if (!u8(length) || !skip(1)) return false;
    if (length > maxLength) return fail();
    if (length > remaining()) return fail();
    text.assign(reinterpret_cast<const char*>(data_ + offset_), length);
    offset_ += length;
    return true;
}

bool ByteReader::skip(std::size_t count)
{
    if (!ok_ || count > size_ - offset_) return fail();
    offset_ += count;
    return true;
}

bool ByteReader::seek(std::size_t offset)
{
    if (!ok_ || offset > size_) return fail();
    offset_ = offset;
    return true;
}

bool ByteReader::fits(std::uint64_t count, std::size_t itemSize) const
{
    return ok_ && (itemSize == 0 || count <= (size_ - offset_) / itemSize);
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string* error)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        if (error) *error = "cannot open " + path;
        return false;
    }
    bytes.clear();
    // One allocation for a regular file; the chunked loop below still reads whatever is
    // there (a file that grew meanwhile, or a pipe).
    struct stat info;
    if (fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        bytes.resize(std::size_t(info.st_size));
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    }
    std::uint8_t chunk[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed && error) *error = "cannot read " + path;
    return !failed;
}

bool FileBytes::open(const std::string& path, std::string* error)
{
    close();
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        if (error) *error = "cannot open " + path;
        return false;
    }
    struct stat info;
    if (fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        void* map = mmap(nullptr, std::size_t(info.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, descriptor, 0);
        if (map != MAP_FAILED) {
            mapped_ = static_cast<const std::uint8_t*>(map);
            mappedSize_ = std::size_t(info.st_size);
        }
    }
    ::close(descriptor);
    if (mapped_) return true;
    // Empty files, pipes and file systems that cannot map are read instead.
    return ReadWholeFile(path, copy_, error);
}

void FileBytes::close()
{
    if (mapped_) munmap(const_cast<std::uint8_t*>(mapped_), mappedSize_);
    mapped_ = nullptr;
    mappedSize_ = 0;
    copy_.clear();
    copy_.shrink_to_fit();
}

// ---- checking records before writing ----------------------------------------------------

namespace {
std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string Label(const char* kind, std::size_t index, const std::string& name)
{
    return std::string(kind) + " " + std::to_string(index) + " " + Quoted(name) + ": ";
}

std::string CountProblem(const char* what, std::size_t count, std::size_t limit)
{
    if (count <= limit) return {};
    return std::to_string(count) + " " + what + " (at most " + std::to_string(limit) + ")";
}

std::string NameProblem(const char* what, const std::string& name)
{
    if (name.size() <= kMaxNameLength) return {};
    return std::string(what) + " is " + std::to_string(name.size()) + " bytes long (at most " +
           std::to_string(kMaxNameLength) + ")";
}

std::string ObjectProblem(const ObjectRecord& object, std::uint32_t morphFrames)
{
    const std::size_t v = object.vertices.size(), f = object.faces.size(), t = object.textureVertices.size();
    std::string problem = NameProblem("the name", object.name);
    if (problem.empty()) problem = NameProblem("the parent name", object.parent);
    if (problem.empty()) problem = CountProblem("vertices", v, 0xFFFF);
    if (problem.empty()) problem = CountProblem("faces", f, 0xFFFF);
    if (!problem.empty()) return problem;
    if (t == 0) return "no texture vertices (at least one is needed)";
    if (object.textureFaces.size() != f || object.faceNormals.size() != f)
        return "texture faces and face normals must number one per face";
    if (object.vertexNormals.size() != v) return "vertex normals must number one per vertex";
    for (std::size_t i = 0; i < f; ++i) {
        const Face& face = object.faces[i];
        const TextureFace& mapped = object.textureFaces[i];
        if (face.a >= v || face.b >= v || face.c >= v) return "face " + std::to_string(i) + " uses a vertex out of range";
        if (mapped.a >= t || mapped.b >= t || mapped.c >= t)
            return "texture face " + std::to_string(i) + " uses a texture vertex out of range";
    }
    if ((!object.hasPositionKeys && !object.positionKeys.empty()) ||
        (!object.hasRotationKeys && !object.rotationKeys.empty()) ||
        (!object.hasScaleKeys && !object.scaleKeys.empty()))
        return "keys of a track whose flag is off would be lost";
    if (!object.morphFrames.empty()) {
        if (object.morphFrames.size() != morphFrames)
            return std::to_string(object.morphFrames.size()) + " morph frames (the scene's frame count, " +
                   std::to_string(morphFrames) + ", is needed)";
        for (const auto& frame : object.morphFrames)
            if (frame.size() != v) return "a morph frame must have one vertex per vertex";
    }
    return {};
}

std::string MaterialProblem(const MaterialRecord& material)
{
    std::string problem = NameProblem("the name", material.name);
    if (problem.empty()) problem = NameProblem("the bitmap name", material.bitmap);
    if (!problem.empty()) return problem;
    if (!material.multi) {
        if (!material.subMaterials.empty()) return "sub-materials of a material that is not multi would be lost";
        return {};
    }
    if (material.subMaterials.size() > kMaxSubMaterials)
        return CountProblem("sub-materials", material.subMaterials.size(), kMaxSubMaterials);
    if (!material.bitmap.empty() || material.selfIllumination != 0)
        return "a multi-material's own bitmap and self-illumination would be lost";
    for (const SubMaterialRecord& sub : material.subMaterials) {
        problem = NameProblem("a sub-material name", sub.name);
        if (problem.empty()) problem = NameProblem("a sub-material bitmap name", sub.bitmap);
        if (!problem.empty()) return problem;
    }
    return {};
}

std::string CameraProblem(const CameraRecord& camera, std::uint32_t frames)
{
    if (std::string problem = NameProblem("the name", camera.name); !problem.empty()) return problem;
    if (!camera.fovKeys.empty() && camera.fovKeys.size() != frames)
        return std::to_string(camera.fovKeys.size()) + " FOV keys (none, or the scene's frame count, " +
               std::to_string(frames) + ")";
    if (!camera.hasNodeKeys && (!camera.positionKeys.empty() || !camera.rotationKeys.empty()))
        return "node keys without the node key flag would be lost";
    if (!camera.hasTargetKeys && !camera.targetKeys.empty()) return "target keys without their flag would be lost";
    return {};
}

std::string LightProblem(const LightRecord& light)
{
    if (std::string problem = NameProblem("the name", light.name); !problem.empty()) return problem;
    if (!light.hasPositionKeys && !light.positionKeys.empty()) return "position keys without their flag would be lost";
    if (light.kind == LightKind::omni && (light.hasTargetKeys || !light.targetKeys.empty() || !(light.target == Vec3{})))
        return "an omni light has no target: it would be lost";
    if (!light.hasTargetKeys && !light.targetKeys.empty()) return "target keys without their flag would be lost";
    return {};
}
}  // namespace

std::string ProblemForWriting(const SceneRecords& scene)
{
    std::string problem = CountProblem("objects", scene.objects.size(), 0xFFFF);
    if (problem.empty()) problem = CountProblem("materials", scene.materials.size(), 0xFFFF);
    if (problem.empty()) problem = CountProblem("cameras", scene.cameras.size(), 0xFFFF);
    if (problem.empty()) problem = CountProblem("lights", scene.lights.size(), 0xFFFF);
    if (!problem.empty()) return problem;
    const std::uint32_t frames = MorphFrameCount(scene.header.lastFrame);
    for (std::size_t i = 0; i < scene.objects.size(); ++i)
        if (problem = ObjectProblem(scene.objects[i], frames); !problem.empty())
            return Label("object", i, scene.objects[i].name) + problem;
    for (std::size_t i = 0; i < scene.materials.size(); ++i)
        if (problem = MaterialProblem(scene.materials[i]); !problem.empty())
            return Label("material", i, scene.materials[i].name) + problem;
    for (std::size_t i = 0; i < scene.cameras.size(); ++i)
        if (problem = CameraProblem(scene.cameras[i], frames); !problem.empty())
            return Label("camera", i, scene.cameras[i].name) + problem;
    for (std::size_t i = 0; i < scene.lights.size(); ++i)
        if (problem = LightProblem(scene.lights[i]); !problem.empty())
            return Label("light", i, scene.lights[i].name) + problem;
    return {};
}

// ---- RecordReader ---------------------------------------------------------------------

RecordReader::RecordReader(const std::uint8_t* data, std::size_t size, bool strict)
    : in_(data, size), strict_(strict)
{
}

bool RecordReader::fail(const std::string& what, std::size_t at)
{
    error_.what = context_.empty() ? what : context_ + ": " + what;
    error_.offset = at;
    return false;
}

bool RecordReader::truncated(const char* field)
{
    return fail(std::string(field) + " runs past the end of the file", in_.failedAt());
}

bool RecordReader::name(const char* field, std::string& text, bool mayBeEmpty)
{
    const std::size_t at = in_.offset();
    std::uint16_t length = 0;
    if (!in_.u16(length)) return truncated(field);
    const std::size_t limit = strict_ ? kMaxNameLength : kMaxReadableNameLength;
    if (length > limit)
        return fail(std::string(field) + " is " + std::to_string(length) + " bytes long (at most " +
                        std::to_string(limit) + ")",
                    at);
    if (length > in_.remaining()) return fail(std::string(field) + " runs past the end of the file", at);
    text.assign(reinterpret_cast<const char*>(in_.data() + in_.offset()), length);
    in_.skip(length);
    if (strict_ && length == 0 && !mayBeEmpty) return fail(std::string(field) + " is empty", at);
    return true;
}

bool RecordReader::flag8(const char* field, bool& value)
{
    const std::size_t at = in_.offset();
    std::uint8_t raw = 0;
    if (!in_.u8(raw)) return truncated(field);
    // A flag is set when it is not 0; the format writes only 0 and 1.
    if (raw > 1) {
        const std::string what = std::string(field) + " is " + std::to_string(raw) + " (0 or 1 expected)";
        if (strict_) return fail(what, at);
        notes_.push_back({context_.empty() ? what : context_ + ": " + what, at});
    }
    value = raw != 0;
    return true;
}

bool RecordReader::flag16(const char* field, bool& value)
{
    const std::size_t at = in_.offset();
    std::uint16_t raw = 0;
    if (!in_.u16(raw)) return truncated(field);
    // The low byte decides, as it always has; strict reading wants exactly 0 or 1.
    if (strict_ && raw > 1) return fail(std::string(field) + " is " + std::to_string(raw) + " (0 or 1 expected)", at);
    value = (raw & 0xFF) != 0;
    return true;
}

template <typename T>
bool RecordReader::values(const char* field, std::vector<T>& out, std::uint64_t count)
{
    const std::size_t at = in_.offset();
    if (in_.array(out, count)) return true;
    return fail(std::string(field) + " (" + std::to_string(count) + ") run past the end of the file", at);
}

template <typename T>
bool RecordReader::keyBlock(const char* field, std::vector<T>& keys)
{
    std::uint32_t count = 0;
    if (!in_.u32(count)) return truncated(field);
    return values(field, keys, count);
}

bool RecordReader::readHeader(Header& header)
{
    context_.clear();
    if (in_.size() < kHeaderSize)
        return fail("the header needs 56 bytes, the file has " + std::to_string(in_.size()), in_.size());
    if (strict_ && std::memcmp(in_.data(), kMagic, kMagicSize) != 0)
        return fail("the file does not start with \"" + std::string(kMagic) + "\"", 0);
    std::uint16_t lastFrameCopy = 0;
    in_.seek(kObjectCountAt);
    in_.u16(header.objectCount);
    in_.u16(header.cameraCount);
    in_.u16(lastFrameCopy);
    in_.u16(header.materialCount);
    in_.u16(header.lightCount);
    in_.u16(header.reserved);
    in_.seek(kLastFrameAt);
    in_.u16(header.lastFrame);
    in_.u16(header.frameSpeed);
    in_.u16(header.ticksPerFrame);
    if (strict_ && lastFrameCopy != header.lastFrame)
        return fail("the last frame is " + std::to_string(header.lastFrame) + " at byte 50 but " +
                        std::to_string(lastFrameCopy) + " in its copy at byte 30",
                    kLastFrameCopyAt);
    header_ = header;
    return true;
}

bool RecordReader::indices(const ObjectRecord& object, std::size_t facesAt, std::size_t textureFacesAt)
{
    // Faces index the vertex and texture vertex arrays: an index outside them would make
    // every later reader of the mesh read outside its arrays.
    const std::size_t v = object.vertices.size(), t = object.textureVertices.size();
    for (std::size_t i = 0; i < object.faces.size(); ++i) {
        const Face& face = object.faces[i];
        const std::uint32_t worst = std::max({face.a, face.b, face.c});
        if (worst >= v)
            return fail("face " + std::to_string(i) + " uses vertex " + std::to_string(worst) + " of " +
                            std::to_string(v),
                        facesAt + i * sizeof(Face));
        const TextureFace& mapped = object.textureFaces[i];
        const std::uint32_t worstMapped = std::max({mapped.a, mapped.b, mapped.c});
        if (worstMapped >= t)
            return fail("texture face " + std::to_string(i) + " uses texture vertex " + std::to_string(worstMapped) +
                            " of " + std::to_string(t),
                        textureFacesAt + i * sizeof(TextureFace));
    }
    return true;
}

bool RecordReader::readObject(std::size_t index, ObjectRecord& object)
{
    named_ = false;
    object = ObjectRecord{};
    context_ = "object " + std::to_string(index);
    if (!name("the name", object.name)) return false;
    context_ += " " + Quoted(object.name);
    named_ = true;
    if (!name("the parent name", object.parent, true)) return false;
    bool morph = false;
    std::uint16_t v = 0, f = 0;
    if (!flag16("the position key flag", object.hasPositionKeys) ||
        !flag16("the rotation key flag", object.hasRotationKeys) || !flag16("the scale key flag", object.hasScaleKeys))
        return false;
    if (!in_.vec3(object.position) || !in_.vec3(object.rotationAxis) || !in_.f32(object.rotationAngle))
        return truncated("the transform");
    if (!in_.u16(v) || !in_.u16(f)) return truncated("the vertex and face counts");
    if (!flag16("the morph flag", morph) || !values("vertices", object.vertices, v)) return false;
    const std::size_t facesAt = in_.offset();
    if (!values("faces", object.faces, f)) return false;
    std::uint32_t t = 0;
    if (!in_.u32(t)) return truncated("the texture vertex count");
    if (strict_ && t == 0) return fail("the object has no texture vertices", in_.offset() - 4);
    if (!values("texture vertices", object.textureVertices, t)) return false;
    const std::size_t textureFacesAt = in_.offset();
    if (!values("texture faces", object.textureFaces, f) || !indices(object, facesAt, textureFacesAt)) return false;
    if (!values("face normals", object.faceNormals, f) || !values("vertex normals", object.vertexNormals, v))
        return false;
    if (!in_.u16(object.material)) return truncated("the material reference");
    if (object.hasPositionKeys && !keyBlock("position keys", object.positionKeys)) return false;
    if (object.hasRotationKeys && !keyBlock("rotation keys", object.rotationKeys)) return false;
    if (object.hasScaleKeys && !keyBlock("scale keys", object.scaleKeys)) return false;
    if (!morph) return true;
    const std::uint32_t frames = MorphFrameCount(header_.lastFrame);
    if (!in_.fits(std::uint64_t(frames) * v, sizeof(Vec3)))
        return fail("morph frames (" + std::to_string(frames) + " of " + std::to_string(v) +
                        " vertices) run past the end of the file",
                    in_.offset());
    object.morphFrames.resize(frames);
    for (auto& frame : object.morphFrames) in_.array(frame, v);
    return true;
}

bool RecordReader::surface(Vec3& ambient, Vec3& diffuse, Vec3& specular, float* scalars)
{
    if (in_.vec3(ambient) && in_.vec3(diffuse) && in_.vec3(specular) && in_.f32(scalars[0]) && in_.f32(scalars[1]) &&
        in_.f32(scalars[2]) && in_.f32(scalars[3]))
        return true;
    return truncated("the colours");
}

bool RecordReader::readMaterial(std::size_t index, MaterialRecord& material)
{
    named_ = false;
    material = MaterialRecord{};
    context_ = "material " + std::to_string(index);
    const std::size_t indexAt = in_.offset();
    std::uint32_t multi = 0;
    if (!in_.u32(material.index)) return truncated("the index");
    if (!name("the name", material.name)) return false;
    context_ += " " + Quoted(material.name);
    named_ = true;
    if (strict_ && material.index != index)
        return fail("the index is " + std::to_string(material.index) + ", not its position", indexAt);
    if (!in_.u32(multi)) return truncated("the multi flag");
    if (strict_ && multi > 1) return fail("the multi flag is " + std::to_string(multi), in_.offset() - 4);
    material.multi = multi == 1;
    float scalars[4];
    if (!surface(material.ambient, material.diffuse, material.specular, scalars)) return false;
    material.shine = scalars[0];
    material.shineStrength = scalars[1];
    material.transparency = scalars[2];
    material.wireSize = scalars[3];
    if (!material.multi && !in_.f32(material.selfIllumination)) return truncated("the self-illumination");
    const std::size_t countAt = in_.offset();
    std::uint8_t count = 0, high = 0;
    if (!in_.u8(count) || !in_.u8(high)) return truncated("the sub-material count");
    if (strict_ && (high != 0 || (!material.multi && count != 0)))
        return fail("the sub-material count is " + std::to_string(count + 256 * high), countAt);
    if (!material.multi) return name("the bitmap name", material.bitmap, true);
    if (count > kMaxSubMaterials)
        return fail("the sub-material count is " + std::to_string(count) + " (at most 10)", countAt);
    material.subMaterials.resize(count);
    for (SubMaterialRecord& sub : material.subMaterials) {
        if (!name("a sub-material name", sub.name)) return false;
        if (!surface(sub.ambient, sub.diffuse, sub.specular, scalars)) return false;
        sub.shine = scalars[0];
        sub.shineStrength = scalars[1];
        sub.transparency = scalars[2];
        sub.wireSize = scalars[3];
        if (!name("a sub-material bitmap name", sub.bitmap, true)) return false;
    }
    return true;
}

bool RecordReader::readCamera(std::size_t index, CameraRecord& camera)
{
    named_ = false;
    camera = CameraRecord{};
    context_ = "camera " + std::to_string(index);
    if (!name("the name", camera.name)) return false;
    context_ += " " + Quoted(camera.name);
    named_ = true;
    if (!in_.vec3(camera.position) || !in_.vec3(camera.rotationAxis) || !in_.f32(camera.rotationAngle) ||
        !in_.vec3(camera.target) || !in_.f32(camera.fieldOfView))
        return truncated("the camera's transform");
    bool hasFov = false;
    if (!flag8("the FOV key flag", hasFov)) return false;
    if (hasFov && !values("FOV keys", camera.fovKeys, MorphFrameCount(header_.lastFrame))) return false;
    if (!flag8("the node key flag", camera.hasNodeKeys)) return false;
    if (camera.hasNodeKeys &&
        (!keyBlock("position keys", camera.positionKeys) || !keyBlock("rotation keys", camera.rotationKeys)))
        return false;
    if (!flag8("the target key flag", camera.hasTargetKeys)) return false;
    return !camera.hasTargetKeys || keyBlock("target keys", camera.targetKeys);
}

bool RecordReader::readLight(std::size_t index, LightRecord& light)
{
    named_ = false;
    light = LightRecord{};
    context_ = "light " + std::to_string(index);
    if (!name("the name", light.name)) return false;
    context_ += " " + Quoted(light.name);
    named_ = true;
    const std::size_t kindAt = in_.offset();
    std::uint8_t kind = 0;
    if (!in_.u8(kind)) return truncated("the kind");
    if (kind > 1) return fail("the kind is " + std::to_string(kind) + " (0 omni or 1 target expected)", kindAt);
    light.kind = LightKind(kind);
    const bool target = light.kind == LightKind::target;
    if (!in_.vec3(light.position) || (target && !in_.vec3(light.target)) || !in_.vec3(light.colour) ||
        !in_.f32(light.intensity))
        return truncated("the light's position and colour");
    if (!flag8("the position key flag", light.hasPositionKeys)) return false;
    if (light.hasPositionKeys && !keyBlock("position keys", light.positionKeys)) return false;
    if (!target) return true;
    if (!flag8("the target key flag", light.hasTargetKeys)) return false;
    return !light.hasTargetKeys || keyBlock("target keys", light.targetKeys);
}

bool RecordReader::finish()
{
    context_.clear();
    // An empty scene keeps the spaces of the header's first step after offset 56.
    if (!strict_ || in_.remaining() == 0 || in_.size() <= kStartSize) return true;
    return fail(std::to_string(in_.remaining()) + " bytes follow the last record", in_.offset());
}

namespace {
// Reads count records of one section, growing the vector one record at a time (a count
// from the header is not trusted to size anything).
template <typename Record, typename ReadOne>
bool ReadSection(std::size_t count, std::vector<Record>& records, ReadOne readOne)
{
    for (std::size_t i = 0; i < count; ++i)
        if (!readOne(i, records.emplace_back())) return false;
    return true;
}
}  // namespace

bool ReadScene(const std::uint8_t* data, std::size_t size, SceneRecords& scene, ReadError* error, bool strict)
{
    RecordReader reader(data, size, strict);
    scene = SceneRecords{};
    const Header& header = scene.header;
    const bool ok =
        reader.readHeader(scene.header) &&
        ReadSection(header.objectCount, scene.objects, [&](std::size_t i, auto& r) { return reader.readObject(i, r); }) &&
        ReadSection(header.materialCount, scene.materials,
                    [&](std::size_t i, auto& r) { return reader.readMaterial(i, r); }) &&
        ReadSection(header.cameraCount, scene.cameras, [&](std::size_t i, auto& r) { return reader.readCamera(i, r); }) &&
        ReadSection(header.lightCount, scene.lights, [&](std::size_t i, auto& r) { return reader.readLight(i, r); }) &&
        reader.finish();
    if (!ok && error) *error = reader.error();
    return ok;
}

}  // namespace scenefile
