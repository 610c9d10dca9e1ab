// The binary scene file: the engine's own form of one 3D scene, written by the import
// plug-in and read by the scene loader.
//
// Layout: a 56-byte header, then the object, material, camera and light sections with
// nothing between them; no section carries its own count (the header does). Integers are
// little-endian; a name is a u16 byte count and that many bytes, no terminator. Points
// stay in the source's Z-up axes and angles in radians: the loader converts them.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
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
// Longest name the format carries: the writer cuts longer names, strict reading rejects
// them. The loader takes the count's low byte as the length, so it still reads names of
// up to kMaxReadableNameLength bytes and rejects a count above that.
constexpr std::size_t kMaxNameLength = 127;
constexpr std::size_t kMaxReadableNameLength = 255;
// A multi-material has at most this many sub-materials (slot 0 and nine more).
constexpr std::size_t kMaxSubMaterials = 10;

// Number of morph frames an object with the morph flag carries: one vertex set per
// frame of the scene, frames 0 to lastFrame. The file does not store it, so writer and
// reader both use this rule.
constexpr std::uint32_t MorphFrameCount(std::uint16_t lastFrame) { return std::uint32_t(lastFrame) + 1; }

// The plain structs below have the byte layout of their file form (on a little-endian
// host), so arrays of them are read in one copy.
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
    // Empty, or MorphFrameCount(lastFrame) frames of V vertices each (M is not stored).
    std::vector<std::vector<Vec3>> morphFrames;
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
    std::string name;   // at most kMaxNameLength bytes
    Vec3 position;
    Vec3 rotationAxis;
    float rotationAngle = 0;
    Vec3 target;
    float fieldOfView = 0;                 // radians
    std::vector<float> fovKeys;            // empty, or exactly lastFrame + 1 values
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

// Empty when the records can be written as a file that reads back as the same records;
// otherwise the first reason they cannot (a count over its field's range, arrays whose
// sizes disagree with V, F or the frame count, a face index out of range, a name too long).
std::string ProblemForWriting(const SceneRecords& scene);

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
    // count items of one of the plain structs above (or float), appended to out in one
    // copy; fails, reading nothing, when they do not fit in what remains.
    template <typename T>
    bool array(std::vector<T>& out, std::uint64_t count);
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

// The bytes of a whole file in memory: mapped read-only where the system allows it, read
// otherwise. (A mapped file that another program shortens while it is open can still
// fault; the scene loader keeps it only while it reads.)
class FileBytes {
public:
    FileBytes() = default;
    ~FileBytes() { close(); }
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    bool open(const std::string& path, std::string* error = nullptr);
    void close();
    const std::uint8_t* data() const { return mapped_ ? mapped_ : copy_.data(); }
    std::size_t size() const { return mapped_ ? mappedSize_ : copy_.size(); }

private:
    const std::uint8_t* mapped_ = nullptr;
    std::size_t mappedSize_ = 0;
    std::vector<std::uint8_t> copy_;
};

template <typename T>
bool ByteReader::array(std::vector<T>& out, std::uint64_t count)
{
    static_assert(std::is_trivially_copyable_v<T>);
    // Every field of these structs has one size: 2 bytes for Face, 4 for the others.
    constexpr std::size_t lane = std::is_same_v<T, Face> ? 2 : 4;
    static_assert(sizeof(T) % lane == 0);
    if (!fits(count, sizeof(T))) return fail();
    const std::size_t first = out.size();
    out.resize(first + std::size_t(count));
    const std::size_t bytes = std::size_t(count) * sizeof(T);
    if (bytes) std::memcpy(static_cast<void*>(out.data() + first), data_ + offset_, bytes);
    if constexpr (std::endian::native == std::endian::big) {
        auto* raw = reinterpret_cast<std::uint8_t*>(out.data() + first);
        for (std::size_t at = 0; at < bytes; at += lane)
            for (std::size_t i = 0; i < lane / 2; ++i) std::swap(raw[at + i], raw[at + lane - 1 - i]);
    }
    offset_ += bytes;
    return true;
}

// ---- parsing --------------------------------------------------------------------------

// Where and why a file could not be read: offset is the byte at which the offending field
// starts (for a truncated file, the field that runs past the end).
struct ReadError {
    std::string what;
    std::size_t offset = 0;
};

// Reads the header and then the records one by one, in file order, never past the end of
// the bytes. Every read checks its counts and lengths against what remains, and rejects
// values that would make a reader of the records go wrong: names longer than 255 bytes,
// kind bytes other than 0 and 1, face indices outside the vertex and texture vertex
// arrays, more than 10 sub-materials. Strict reading also rejects what the format forbids
// but a tolerant reader can live with (wrong magic, empty names, names longer than 127
// bytes, flags other than 0 and 1, no texture vertices, a material index that is not its
// position, bytes after the last record). A tolerant reader takes a flag byte above 1 as
// set and notes it (notes()).
class RecordReader {
public:
    RecordReader(const std::uint8_t* data, std::size_t size, bool strict = false);

    // Reads the counts and scene information and moves to the object section.
    bool readHeader(Header& header);
    // index is the record's position in its section, from 0 (for messages and checks).
    bool readObject(std::size_t index, ObjectRecord& object);
    bool readMaterial(std::size_t index, MaterialRecord& material);
    bool readCamera(std::size_t index, CameraRecord& camera);
    bool readLight(std::size_t index, LightRecord& light);
    // After the last record: strict reading rejects bytes left over.
    bool finish();

    const ReadError& error() const { return error_; }
    // What tolerant reading let pass in the records read so far (flag bytes above 1),
    // one note each; the caller may clear them.
    std::vector<ReadError>& notes() { return notes_; }
    std::size_t offset() const { return in_.offset(); }
    // The record being read got as far as its name (so a failed record can be named).
    bool named() const { return named_; }

private:
    bool fail(const std::string& what, std::size_t at);
    bool truncated(const char* field);
    bool name(const char* field, std::string& text, bool mayBeEmpty = false);
    bool flag8(const char* field, bool& value);
    bool flag16(const char* field, bool& value);
    template <typename T>
    bool values(const char* field, std::vector<T>& out, std::uint64_t count);
    template <typename T>
    bool keyBlock(const char* field, std::vector<T>& keys);
    bool surface(Vec3& ambient, Vec3& diffuse, Vec3& specular, float* scalars);
    bool indices(const ObjectRecord& object, std::size_t facesAt, std::size_t textureFacesAt);

    ByteReader in_;
    bool strict_;
    Header header_;
    std::string context_;   // the record being read, for messages
    bool named_ = false;
    ReadError error_;
    std::vector<ReadError> notes_;
};

// Reads a whole file into records. False with the first problem when it is not readable.
bool ReadScene(const std::uint8_t* data, std::size_t size, SceneRecords& scene, ReadError* error = nullptr,
               bool strict = false);

}  // namespace scenefile
