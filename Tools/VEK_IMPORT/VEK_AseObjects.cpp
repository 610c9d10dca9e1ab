// The object section: one record per "*GEOMOBJECT" block, in file order.
//
// Every value of an object is looked for inside its own block (the mesh lists inside its
// first "*MESH" block), so an object that lacks a line never takes it from the next one.
#include "VEK_AseSections.h"
#include "VEK_ImportTexts.h"

#include <algorithm>
#include <cmath>

namespace aseimport {
namespace {
using scenefile::Vec3;

// The inside of the block opened after the first keyword among span's own lines; empty
// when absent.
Span BlockAfter(const AseText& text, Span span, std::string_view keyword, bool* found = nullptr)
{
    Cursor cursor(text, span);
    const bool present = cursor.findAtLevel(keyword);
    if (found) *found = present;
    return present ? cursor.block() : Span{span.end, span.end};
}

class ObjectReader {
public:
    ObjectReader(SectionContext& context, Span object, std::size_t index)
        : context_(context), text_(context.text), object_(object), index_(index)
    {
    }

    scenefile::ObjectRecord read()
    {
        Cursor cursor(text_, object_);
        name_ = cursor.find("*NODE_NAME") ? cursor.quoted() : std::string();
        context_.log.write(text::kProcessingObject, name_.c_str());
        body_ = {cursor.position(), object_.end};
        readParent(cursor);
        readTransform();
        readMesh();
        readMaterialReference();
        readTracks();
        readMorphFrames();
        record_.name = context_.recordName(name_, "Object", index_);
        context_.showConsoleMessage(text::kObjectExported, name_);
        return std::move(record_);
    }

private:
    // NODE_PARENT counts only before the first '}' and when the node name after it is the
    // object's own.
    void readParent(Cursor cursor)
    {
        std::string parent;
        if (cursor.findBeforeBlockEnd("*NODE_PARENT")) {
            std::string candidate = cursor.quoted();
            const std::string nodeName = cursor.find("*NODE_NAME") ? cursor.quoted() : std::string();
            if (nodeName == name_) parent = std::move(candidate);
        }
        if (parent.empty()) context_.log.write(text::kNoParent);
        else context_.log.write(text::kChildOf, parent.c_str());
        record_.parent = context_.fitName(parent);
        parentName_ = std::move(parent);
    }

    void readTransform()
    {
        Cursor cursor(text_, body_);
        if (cursor.find("*TM_POS")) record_.position = ReadVec3(cursor);
        if (cursor.find("*TM_ROTAXIS")) record_.rotationAxis = ReadVec3(cursor);
        if (cursor.find("*TM_ROTANGLE")) record_.rotationAngle = cursor.real();
        if (cursor.find("*TM_SCALE")) restScale_ = ReadVec3(cursor);
    }

    void readMesh()
    {
        const Span mesh = BlockAfter(text_, body_, "*MESH");
        Cursor cursor(text_, mesh);
        vertexCount_ = cursor.findAtLevel("*MESH_NUMVERTEX") ? cursor.integer() : 0;
        faceCount_ = cursor.findAtLevel("*MESH_NUMFACES") ? cursor.integer() : 0;
        context_.checkRange(vertexCount_, 0xFFFF, "the vertex count of object", name_);
        context_.checkRange(faceCount_, 0xFFFF, "the face count of object", name_);
        findMorphBlock();
        readVertices(BlockAfter(text_, mesh, "*MESH_VERTEX_LIST"));
        readFaces(BlockAfter(text_, mesh, "*MESH_FACE_LIST"));
        readTextureCoordinates(mesh);
        readNormals(mesh);
    }

    // A mesh animation belongs to the object when its first mesh has the object's counts.
    void findMorphBlock()
    {
        Cursor cursor(text_, body_);
        while (cursor.findAtLevel("*MESH_ANIMATION")) {
            const Span animation = cursor.block();
            Cursor counts(text_, animation);
            const long long vertices = counts.find("*MESH_NUMVERTEX") ? counts.integer() : -1;
            const long long faces = counts.find("*MESH_NUMFACES") ? counts.integer() : -1;
            if (vertices == vertexCount_ && faces == faceCount_) {
                morph_ = animation;
                hasMorph_ = true;
                break;
            }
        }
        context_.log.write(hasMorph_ ? text::kUsesDeformers : text::kNoDeformers);
    }

    // count points of the list, each an index and 3 floats; fewer is an error.
    std::vector<Vec3> readPoints(Span list, std::string_view keyword, long long count, const char* what,
                                 unsigned long* lastIndex = nullptr)
    {
        std::vector<Vec3> points;
        points.reserve(std::size_t(std::min<long long>(count, (list.end - list.begin) / 8 + 1)));
        ForEachEntry(text_, list, keyword, std::size_t(count), [&](Cursor& cursor, long long index) {
            if (lastIndex) *lastIndex = (unsigned long)index;
            points.push_back(ReadVec3(cursor));
        });
        if ((long long)points.size() < count)
            context_.fail(FormatText(text::kTooFewItems, name_.c_str(), points.size(), count, what));
        return points;
    }

    void readVertices(Span list)
    {
        record_.vertices = readPoints(list, "MESH_VERTEX", vertexCount_, "vertices");
        context_.log.write(text::kVerticesRead);
    }

    void readFaces(Span list)
    {
        record_.faces.reserve(std::size_t(faceCount_));
        ForEachEntry(text_, list, "MESH_FACE", std::size_t(faceCount_), [&](Cursor& cursor, long long) {
            scenefile::Face face;
            face.a = vertexIndex(cursor.skipToToken("A:") ? cursor.integer() : 0);
            face.b = vertexIndex(cursor.skipToToken("B:") ? cursor.integer() : 0);
            face.c = vertexIndex(cursor.skipToToken("C:") ? cursor.integer() : 0);
            const long long id = cursor.skipToKeywordOnLine("MESH_MTLID") ? cursor.integer() : 0;
            face.subMaterial = std::uint16_t(context_.checkRange(id, 0xFFFF, "a sub-material id of object", name_));
            record_.faces.push_back(face);
        });
        if ((long long)record_.faces.size() < faceCount_)
            context_.fail(FormatText(text::kTooFewItems, name_.c_str(), record_.faces.size(), faceCount_, "faces"));
        context_.log.write(text::kFacesRead);
    }

    std::uint16_t vertexIndex(long long index) const
    {
        if (index < 0 || index >= vertexCount_)
            context_.fail(FormatText(text::kFaceIndex, name_.c_str(), record_.faces.size(), "vertex", index,
                                 vertexCount_ - 1));
        return std::uint16_t(index);
    }

    void readTextureCoordinates(Span mesh)
    {
        Cursor cursor(text_, mesh);
        const long long count = cursor.findAtLevel("*MESH_NUMTVERTEX") ? cursor.integer() : 0;
        context_.checkRange(count, 0xFFFFFFFFLL, "the texture vertex count of object", name_);
        if (count == 0) {
            // The file needs at least one texture vertex: every corner uses (0, 0, 0).
            context_.showConsoleMessage(text::kObjectUnmapped, name_);
            context_.log.write(text::kNoTextureVertices, name_.c_str());
            record_.textureVertices.assign(1, Vec3{});
            record_.textureFaces.assign(std::size_t(faceCount_), scenefile::TextureFace{});
            return;
        }
        unsigned long lastIndex = 0;
        record_.textureVertices = readPoints(BlockAfter(text_, mesh, "*MESH_TVERTLIST"), "MESH_TVERT", count,
                                             "texture vertices", &lastIndex);
        const Vec3& last = record_.textureVertices.back();
        context_.log.write(text::kTextureVerticesRead);
        context_.log.write(text::kLastTextureVertex, lastIndex, last.x, last.y, last.z);
        readTextureFaces(mesh, count);
    }

    void readTextureFaces(Span mesh, long long textureVertexCount)
    {
        bool present = false;
        const Span list = BlockAfter(text_, mesh, "*MESH_TFACELIST", &present);
        if (!present) {
            context_.log.write(text::kNoTextureFaces, name_.c_str());
            record_.textureFaces.assign(std::size_t(faceCount_), scenefile::TextureFace{});
            return;
        }
        auto corner = [&](Cursor& cursor) {
            const long long index = cursor.integer();
            if (index < 0 || index >= textureVertexCount)
                context_.fail(FormatText(text::kFaceIndex, name_.c_str(), record_.textureFaces.size(), "texture vertex",
                                     index, textureVertexCount - 1));
            return std::uint32_t(index);
        };
        auto& faces = record_.textureFaces;
        faces.reserve(std::size_t(faceCount_));
        unsigned long lastIndex = 0;
        ForEachEntry(text_, list, "MESH_TFACE", std::size_t(faceCount_), [&](Cursor& cursor, long long index) {
            lastIndex = (unsigned long)index;
            scenefile::TextureFace face;
            face.a = corner(cursor);
            face.b = corner(cursor);
            face.c = corner(cursor);
            faces.push_back(face);
        });
        if ((long long)faces.size() < faceCount_)
            context_.fail(FormatText(text::kTooFewItems, name_.c_str(), faces.size(), faceCount_, "texture faces"));
        context_.log.write(text::kTextureFacesRead);
        if (!faces.empty())
            context_.log.write(text::kLastTextureFace, lastIndex, double(faces.back().a), double(faces.back().b),
                               double(faces.back().c));
    }

    // Face normals are the first F "*MESH_FACENORMAL" lines; vertex normals the first 3 F
    // "*MESH_VERTEXNORMAL" lines after the first face normal, each stored at its index
    // (a later one for the same vertex wins). Missing normals are (0, 0, 0).
    void readNormals(Span mesh)
    {
        const auto faces = std::size_t(faceCount_);
        const auto vertices = std::size_t(vertexCount_);
        bool present = false;
        const Span normals = BlockAfter(text_, mesh, "*MESH_NORMALS", &present);
        record_.faceNormals.reserve(faces);
        record_.vertexNormals.assign(vertices, Vec3{});
        if (!present) {
            context_.log.write(text::kNoNormals, name_.c_str());
            computeFaceNormals();
            return;
        }
        int lastFaceIndex = 0;
        unsigned long lastVertexIndex = 0;
        Vec3 lastVertexNormal;
        std::size_t vertexNormalsRead = 0;
        std::size_t outOfRange = 0;
        Cursor cursor(text_, normals);
        for (std::string_view word = cursor.nextKeyword(); !word.empty(); word = cursor.nextKeyword()) {
            std::string_view glued;
            if (IsIndexedKeyword(word, "MESH_FACENORMAL", glued) && record_.faceNormals.size() < faces) {
                lastFaceIndex = int(glued.empty() ? cursor.integer() : ParseInteger(glued));
                record_.faceNormals.push_back(ReadVec3(cursor));
            } else if (IsIndexedKeyword(word, "MESH_VERTEXNORMAL", glued) && !record_.faceNormals.empty() &&
                       vertexNormalsRead < 3 * faces) {
                const long long index = glued.empty() ? cursor.integer() : ParseInteger(glued);
                const Vec3 normal = ReadVec3(cursor);
                ++vertexNormalsRead;
                lastVertexIndex = (unsigned long)index;
                lastVertexNormal = normal;
                if (index < 0 || index >= vertexCount_) ++outOfRange;
                else record_.vertexNormals[std::size_t(index)] = normal;
            }
        }
        const Vec3 lastFaceNormal = record_.faceNormals.empty() ? Vec3{} : record_.faceNormals.back();
        record_.faceNormals.resize(faces);
        context_.log.write(text::kFaceNormalsRead);
        context_.log.write(text::kLastFaceNormal, lastFaceIndex, lastFaceNormal.x, lastFaceNormal.y, lastFaceNormal.z);
        context_.log.write(text::kVertexNormalBytes, int(vertices * 12));
        for (std::size_t i = 0; i < outOfRange; ++i) context_.log.write(text::kVertexNormalOutOfRange);
        context_.log.write(text::kLastVertexNormal, lastVertexIndex, lastVertexNormal.x, lastVertexNormal.y,
                           lastVertexNormal.z);
        context_.log.write(text::kVertexNormalsBuffered);
        context_.log.write(text::kFlushingVertexNormals);
        context_.log.write(text::kVertexNormalsFlushed);
    }

    // Without normals in the file, each face's normal comes from its corners a, b, c taken
    // counter-clockwise, and stands for the normals of its three vertices too (a vertex
    // shared by faces keeps the last face's, as with the file's own vertex normals).
    void computeFaceNormals()
    {
        for (const scenefile::Face& face : record_.faces) {
            const Vec3& a = record_.vertices[face.a];
            const Vec3& b = record_.vertices[face.b];
            const Vec3& c = record_.vertices[face.c];
            const Vec3 ab{b.x - a.x, b.y - a.y, b.z - a.z}, ac{c.x - a.x, c.y - a.y, c.z - a.z};
            Vec3 normal{ab.y * ac.z - ab.z * ac.y, ab.z * ac.x - ab.x * ac.z, ab.x * ac.y - ab.y * ac.x};
            const float length = std::sqrt(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z);
            if (length > 0.0f) normal = {normal.x / length, normal.y / length, normal.z / length};
            record_.faceNormals.push_back(normal);
            for (const std::uint16_t corner : {face.a, face.b, face.c}) record_.vertexNormals[corner] = normal;
        }
    }

    void readMaterialReference()
    {
        Cursor cursor(text_, body_);
        long long material = 0;
        if (cursor.findAtLevel("*MATERIAL_REF")) material = cursor.integer();
        else context_.log.write(text::kNoMaterialRef, name_.c_str());
        record_.material = std::uint16_t(context_.checkRange(material, 0xFFFF, "the material reference of object", name_));
        context_.log.write(text::kMaterialUsed, int(material));
    }

    // One key per frame on every track the node has. The exporter gives a child's samples
    // in its parent's space; they are written as points and axes of the scene, placed by
    // the parent's own "*NODE_TM", so the keys of every object are in the scene's space
    // like its "*TM_POS" (the hierarchy then adds each ancestor's motion from its rest).
    void readTracks()
    {
        context_.log.write(text::kSampleKeysWarning);
        Span animation;
        Cursor cursor(text_, body_);
        if (!cursor.findAtLevel("*TM_ANIMATION")) return;
        animation = cursor.block();
        NodeTransform parent;
        const bool child = !parentName_.empty() && context_.nodeTransform(parentName_, parent);
        const FrameRange& frames = context_.nodeFrames;
        Span track;
        if ((record_.hasPositionKeys = FindTrack(text_, animation, "*CONTROL_POS_TRACK", track))) {
            auto samples = ReadVectorSamples(text_, track, "CONTROL_POS_SAMPLE");
            if (child)
                for (auto& sample : samples) sample.value = parent.point(sample.value);
            record_.positionKeys = HoldEveryFrame(std::move(samples), frames, record_.position);
            context_.lastCount = std::uint32_t(record_.positionKeys.size());
        }
        if ((record_.hasRotationKeys = FindTrack(text_, animation, "*CONTROL_ROT_TRACK", track))) {
            auto samples = ReadRotationSamples(text_, track);
            if (child)
                for (auto& sample : samples) {
                    const Vec3 axis = parent.direction({sample.value.x, sample.value.y, sample.value.z});
                    sample.value = {axis.x, axis.y, axis.z, sample.value.angle};
                }
            record_.rotationKeys = RotationEveryFrame(std::move(samples), frames, record_.rotationAxis);
            context_.lastCount = std::uint32_t(record_.rotationKeys.size());
        }
        if ((record_.hasScaleKeys = FindTrack(text_, animation, "*CONTROL_SCALE_TRACK", track))) {
            record_.scaleKeys = HoldEveryFrame(ReadVectorSamples(text_, track, "CONTROL_SCALE_SAMPLE"), frames, restScale_);
            context_.lastCount = std::uint32_t(record_.scaleKeys.size());
        }
    }

    // One vertex set per frame 0..L, each frame taking the mesh sampled last at or before
    // its time, so the loader always finds L + 1 sets.
    void readMorphFrames()
    {
        if (!hasMorph_) return;
        context_.log.write(text::kExportingMorph);
        std::vector<std::size_t> starts;
        Cursor cursor(text_, morph_);
        while (cursor.find("*TIMEVALUE")) starts.push_back(cursor.position());
        if (starts.empty()) return;
        const std::uint64_t frameBytes = std::uint64_t(vertexCount_) * 12;
        context_.checkSize(std::uint64_t(context_.lastFrame + 1) * frameBytes + starts.size() * frameBytes);
        std::vector<std::pair<long long, std::vector<Vec3>>> samples;
        for (std::size_t i = 0; i < starts.size(); ++i) {
            Cursor frame(text_, {starts[i], i + 1 < starts.size() ? starts[i + 1] : morph_.end});
            const long long time = frame.integer();
            const Span list = frame.find("*MESH_VERTEX_LIST") ? frame.block() : Span{};
            std::vector<Vec3> vertices;
            vertices.reserve(std::size_t(vertexCount_));
            ForEachEntry(text_, list, "MESH_VERTEX", std::size_t(vertexCount_),
                         [&](Cursor& points, long long) { vertices.push_back(ReadVec3(points)); });
            if ((long long)vertices.size() < vertexCount_)
                context_.fail(FormatText(text::kFrameVertices, name_.c_str(), time, vertices.size(), vertexCount_));
            samples.emplace_back(time, std::move(vertices));
        }
        bool gaps = false;
        record_.morphFrames = SampleEveryFrame(std::move(samples), context_.lastFrame, context_.ticksPerFrame,
                                               std::vector<Vec3>(), gaps);
        if (gaps) context_.log.write(text::kMorphGaps, name_.c_str(), int(context_.lastFrame));
        context_.log.write(text::kMorphExported, int(record_.morphFrames.size()));
        context_.lastCount = std::uint32_t(record_.morphFrames.size());
    }

    SectionContext& context_;
    const AseText& text_;
    Span object_;
    std::size_t index_;
    Span body_;   // the object's block after its name
    std::string name_;
    std::string parentName_;    // as the file gives it (record_.parent may be cut)
    Vec3 restScale_{1, 1, 1};   // the node's own "*TM_SCALE"
    long long vertexCount_ = 0;
    long long faceCount_ = 0;
    Span morph_;
    bool hasMorph_ = false;
    scenefile::ObjectRecord record_;
};

}  // namespace

std::uint32_t WriteObjects(SectionContext& context)
{
    return WriteRecords<ObjectReader>(context, context.layout.objects, "objects", scenefile::WriteObject);
}

}  // namespace aseimport
