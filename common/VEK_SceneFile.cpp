#include "VEK_SceneFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
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
    const std::size_t length = std::min<std::size_t>(text.size(), 0xFFFF);
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
template <typename T, typename WriteOne>
void WriteKeys(ByteWriter& out, const std::vector<T>& keys, WriteOne writeOne)
{
    KeyBlock block(out);
    for (const T& key : keys) writeOne(key);
    block.finish(std::uint32_t(keys.size()));
}

void WriteVec3Keys(ByteWriter& out, const std::vector<Vec3>& keys)
{
    WriteKeys(out, keys, [&](const Vec3& key) { out.vec3(key); });
}

void WriteRotationKeys(ByteWriter& out, const std::vector<AxisAngle>& keys)
{
    WriteKeys(out, keys, [&](const AxisAngle& key) { out.axisAngle(key); });
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
    for (const Vec3& vertex : object.vertices) out.vec3(vertex);
    for (const Face& face : object.faces) {
        out.u16(face.a);
        out.u16(face.b);
        out.u16(face.c);
        out.u16(face.subMaterial);
    }
    out.u32(std::uint32_t(object.textureVertices.size()));
    for (const Vec3& vertex : object.textureVertices) out.vec3(vertex);
    for (const TextureFace& face : object.textureFaces) {
        out.u32(face.a);
        out.u32(face.b);
        out.u32(face.c);
    }
    for (const Vec3& normal : object.faceNormals) out.vec3(normal);
    for (const Vec3& normal : object.vertexNormals) out.vec3(normal);
    out.u16(object.material);
    if (object.hasPositionKeys) WriteVec3Keys(out, object.positionKeys);
    if (object.hasRotationKeys) WriteRotationKeys(out, object.rotationKeys);
    if (object.hasScaleKeys) WriteVec3Keys(out, object.scaleKeys);
    for (const auto& frame : object.morphFrames)
        for (const Vec3& vertex : frame) out.vec3(vertex);
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
        WriteVec3Keys(out, camera.positionKeys);
        WriteRotationKeys(out, camera.rotationKeys);
    }
    out.u8(camera.hasTargetKeys);
    if (camera.hasTargetKeys) WriteVec3Keys(out, camera.targetKeys);
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
    if (light.hasPositionKeys) WriteVec3Keys(out, light.positionKeys);
    if (!target) return;
    out.u8(light.hasTargetKeys);
    if (light.hasTargetKeys) WriteVec3Keys(out, light.targetKeys);
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
    std::uint8_t chunk[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed && error) *error = "cannot read " + path;
    return !failed;
}

}  // namespace scenefile
