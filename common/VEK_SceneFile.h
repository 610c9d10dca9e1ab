// The binary scene file: the engine's own form of one 3D scene, written by the import
// plug-in and read by the scene loader.
//
// Layout: a 56-byte header, then the object, material, camera and light sections with
// nothing between them; no section carries its own count (the header does). Integers are
// little-endian; a name is a u16 byte count and that many bytes, no terminator. Points
// stay in the source's Z-up axes and angles in radians: the loader converts them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace scenefile {

constexpr char kMagic[] = "KORVA_GL3D EngineSceneFile";
constexpr std::size_t kMagicSize = sizeof(kMagic) - 1;   // 26, stored without terminator
constexpr std::size_t kHeaderSize = 56;                  // the object section starts here
constexpr std::size_t kStartSize = 69;                   // magic + 43 spaces, written first
constexpr std::uint32_t kPendingKeyCount = 999;          // a key block's count until it is done

// Header field offsets.
constexpr std::size_t kObjectCountAt = 26;
constexpr std::size_t kCameraCountAt = 28;
constexpr std::size_t kLastFrameCopyAt = 30;
constexpr std::size_t kMaterialCountAt = 32;
constexpr std::size_t kLightCountAt = 34;
constexpr std::size_t kReservedAt = 36;
constexpr std::size_t kReserved2At = 38;
constexpr std::size_t kLastFrameAt = 50;

// Longest names the loader keeps (its working buffers): cameras 28 bytes, others 31.
constexpr std::size_t kMaxCameraName = 28;
constexpr std::size_t kMaxName = 31;

struct Vec3 {
    float x = 0, y = 0, z = 0;
    bool operator==(const Vec3&) const = default;
};
struct AxisAngle {
    float x = 0, y = 0, z = 0, angle = 0;
    bool operator==(const AxisAngle&) const = default;
};
struct Face {
    std::uint16_t a = 0, b = 0, c = 0, subMaterial = 0;
    bool operator==(const Face&) const = default;
};
struct TextureFace {
    std::uint32_t a = 0, b = 0, c = 0;
    bool operator==(const TextureFace&) const = default;
};

struct Header {
    std::uint16_t objectCount = 0;
    std::uint16_t cameraCount = 0;
    std::uint16_t materialCount = 0;
    std::uint16_t lightCount = 0;
    std::uint16_t reserved = 0;      // the writer's last key or sample count; ignored
    std::uint16_t lastFrame = 0;     // the scene has lastFrame + 1 frames
    std::uint16_t frameSpeed = 0;    // frames per second
    std::uint16_t ticksPerFrame = 0;
    bool operator==(const Header&) const = default;
};

struct ObjectRecord {
    std::string name;
    std::string parent;               // empty: no parent
    bool hasPositionKeys = false;
    bool hasRotationKeys = false;
    bool hasScaleKeys = false;
    Vec3 position;
    Vec3 rotationAxis;
    float rotationAngle = 0;
    std::vector<Vec3> vertices;       // V
    std::vector<Face> faces;          // F
    std::vector<Vec3> textureVertices;   // T, at least one in a valid file
    std::vector<TextureFace> textureFaces;   // F of them
    std::vector<Vec3> faceNormals;    // F of them
    std::vector<Vec3> vertexNormals;  // V of them
    std::uint16_t material = 0;
    std::vector<Vec3> positionKeys;
    std::vector<AxisAngle> rotationKeys;
    std::vector<Vec3> scaleKeys;
    std::vector<std::vector<Vec3>> morphFrames;   // each of V vertices; M is not stored
    bool operator==(const ObjectRecord&) const = default;
};

struct SubMaterialRecord {
    std::string name;
    Vec3 ambient, diffuse, specular;
    float shine = 0, shineStrength = 0, transparency = 0, wireSize = 0;
    std::string bitmap;
    bool operator==(const SubMaterialRecord&) const = default;
};

struct MaterialRecord {
    std::uint32_t index = 0;
    std::string name;
    bool multi = false;
    Vec3 ambient, diffuse, specular;
    float shine = 0, shineStrength = 0, transparency = 0, wireSize = 0;
    float selfIllumination = 0;                    // stored only when not multi
    std::vector<SubMaterialRecord> subMaterials;   // stored only when multi
    std::string bitmap;                            // stored only when not multi
    bool operator==(const MaterialRecord&) const = default;
};

struct CameraRecord {
    std::string name;
    Vec3 position;
    Vec3 rotationAxis;
    float rotationAngle = 0;
    Vec3 target;
    float fieldOfView = 0;                 // radians
    std::vector<float> fovKeys;            // empty, or lastFrame + 1 values
    bool hasNodeKeys = false;
    std::vector<Vec3> positionKeys;        // with hasNodeKeys
    std::vector<AxisAngle> rotationKeys;   // with hasNodeKeys
    bool hasTargetKeys = false;
    std::vector<Vec3> targetKeys;
    bool operator==(const CameraRecord&) const = default;
};

enum class LightKind : std::uint8_t { omni = 0, target = 1 };

struct LightRecord {
    std::string name;
    LightKind kind = LightKind::omni;
    Vec3 position;
    Vec3 target;                      // target lights only
    Vec3 colour;
    float intensity = 0;
    bool hasPositionKeys = false;
    std::vector<Vec3> positionKeys;
    bool hasTargetKeys = false;       // target lights only
    std::vector<Vec3> targetKeys;
    bool operator==(const LightRecord&) const = default;
};

// A whole scene as records, for writing fixtures and for tools.
struct SceneRecords {
    Header header;   // counts are taken from the vectors when written
    std::vector<ObjectRecord> objects;
    std::vector<MaterialRecord> materials;
    std::vector<CameraRecord> cameras;
    std::vector<LightRecord> lights;
};

// ---- writing --------------------------------------------------------------------------

// Appends little-endian values to a byte buffer; earlier values can be patched in place.
class ByteWriter {
public:
    void u8(std::uint8_t value) { bytes_.push_back(value); }
    void u16(std::uint16_t value);
    void u32(std::uint32_t value);
    void f32(float value);
    void vec3(const Vec3& value);
    void axisAngle(const AxisAngle& value);
    void name(const std::string& text);     // u16 length, then the bytes
    void raw(const void* data, std::size_t size);
    void patchU16(std::size_t offset, std::uint16_t value);
    void patchU32(std::size_t offset, std::uint32_t value);
    std::size_t size() const { return bytes_.size(); }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    std::vector<std::uint8_t>& bytes() { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

// A key block: the count is written as 999 and set to the real count by finish.
class KeyBlock {
public:
    explicit KeyBlock(ByteWriter& out);
    void finish(std::uint32_t count);

private:
    ByteWriter& out_;
    std::size_t countAt_;
};

// The header in its three steps: the magic and 43 spaces; the scene information at 50;
// the counts at 26 to 39 once every section is written (call it last).
void WriteHeaderStart(ByteWriter& out);
void WriteSceneInfo(ByteWriter& out, std::uint16_t lastFrame, std::uint16_t frameSpeed, std::uint16_t ticksPerFrame);
void WriteCounts(ByteWriter& out, const Header& counts);

void WriteObject(ByteWriter& out, const ObjectRecord& object);
void WriteMaterial(ByteWriter& out, const MaterialRecord& material);
void WriteCamera(ByteWriter& out, const CameraRecord& camera);
void WriteLight(ByteWriter& out, const LightRecord& light);

// A whole file: header, the four sections, counts from the record vectors.
std::vector<std::uint8_t> WriteScene(const SceneRecords& scene);

// Writes bytes to path through a temporary file beside it, renamed into place only when
// everything was written: a failed write never leaves a partial file under path.
bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string* error = nullptr);

// ---- reading --------------------------------------------------------------------------

// Reads little-endian values from a byte range, never past its end. After the first
// failed read every further read fails too; failedAt() tells where the data ran out.
class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool u8(std::uint8_t& value);
    bool u16(std::uint16_t& value);
    bool u32(std::uint32_t& value);
    bool f32(float& value);
    bool vec3(Vec3& value);
    bool axisAngle(AxisAngle& value);
    // A name as the loader reads it: the low byte of the count is the length, the high
    // byte is skipped. Fails when the name is longer than maxLength.
    bool name(std::string& text, std::size_t maxLength);
    bool skip(std::size_t count);
    bool seek(std::size_t offset);
    // True when count items of itemSize bytes each still fit in what remains; use before
    // reserving memory for a count read from the file.
    bool fits(std::uint64_t count, std::size_t itemSize) const;

    std::size_t offset() const { return offset_; }
    std::size_t size() const { return size_; }
    std::size_t remaining() const { return size_ - offset_; }
    bool ok() const { return ok_; }
    std::size_t failedAt() const { return failedAt_; }
    const std::uint8_t* data() const { return data_; }

private:
    bool take(void* out, std::size_t count);
    bool fail();

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
    bool ok_ = true;
    std::size_t failedAt_ = 0;
};

// Reads the whole file into memory. False (with a reason) when it cannot.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string* error = nullptr);

}  // namespace scenefile
