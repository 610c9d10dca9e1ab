// The ASE writer and mesh shapes shared by the sample show's scenes.
#include "VEK_ContentAse.h"
#include "VEK_Format.h"
#include "VEK_JpegWriter.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace contentgen::ase {

double Length(V3 a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }

namespace {
V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V3 Normalised(V3 a)
{
    const double length = Length(a);
    return length > 0 ? a * (1.0 / length) : V3{0, 0, 1};
}
}  // namespace

void Mesh::quad(int a, int b, int c, int d, int id)
{
    faces.push_back({a, b, c});
    faces.push_back({c, d, a});
    materialIds.push_back(id);
    materialIds.push_back(id);
}

void Mesh::append(const Mesh& other, int id)
{
    const int vertexBase = int(vertices.size()), uvBase = int(uvs.size());
    vertices.insert(vertices.end(), other.vertices.begin(), other.vertices.end());
    uvs.insert(uvs.end(), other.uvs.begin(), other.uvs.end());
    for (std::size_t f = 0; f < other.faces.size(); ++f) {
        const auto& face = other.faces[f];
        const auto& uvFace = other.uvFaces[f];
        faces.push_back({face[0] + vertexBase, face[1] + vertexBase, face[2] + vertexBase});
        uvFaces.push_back({uvFace[0] + uvBase, uvFace[1] + uvBase, uvFace[2] + uvBase});
        materialIds.push_back(id);
    }
}

Mesh Grid(V3 origin, V3 across, V3 up, int columns, int rows, double tiles)
{
    Mesh mesh;
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= columns; ++c) {
            const double u = double(c) / columns, v = double(r) / rows;
            mesh.vertices.push_back(origin + across * u + up * v);
            mesh.uvs.push_back({u * tiles, v * tiles, 0});
        }
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const int a = r * (columns + 1) + c, b = a + 1, d = a + columns + 1, e = d + 1;
            mesh.quad(a, b, e, d, 0);
        }
    mesh.uvFaces = mesh.faces;
    return mesh;
}

Mesh Box(V3 centre, V3 half)
{
    Mesh mesh;
    const int sides[6][4] = {{0, 1, 5, 4}, {1, 3, 7, 5}, {3, 2, 6, 7}, {2, 0, 4, 6}, {4, 5, 7, 6}, {2, 3, 1, 0}};
    for (int i = 0; i < 8; ++i)
        mesh.vertices.push_back({centre.x + (i & 1 ? half.x : -half.x), centre.y + (i & 2 ? half.y : -half.y),
                                 centre.z + (i & 4 ? half.z : -half.z)});
    mesh.uvs = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    for (int side = 0; side < 6; ++side) {
        mesh.quad(sides[side][0], sides[side][1], sides[side][2], sides[side][3], side < 4 ? 0 : 1);
        mesh.uvFaces.push_back({0, 1, 2});
        mesh.uvFaces.push_back({2, 3, 0});
    }
    return mesh;
}

Mesh Sphere(V3 centre, double radius, int slices, int stacks)
{
    Mesh mesh;
    for (int s = 0; s <= stacks; ++s)
        for (int i = 0; i <= slices; ++i) {
            const double theta = kPi * s / stacks, phi = 2 * kPi * i / slices;
            mesh.vertices.push_back({centre.x + radius * std::sin(theta) * std::cos(phi),
                                     centre.y + radius * std::sin(theta) * std::sin(phi),
                                     centre.z + radius * std::cos(theta)});
            mesh.uvs.push_back({double(i) / slices, 1.0 - double(s) / stacks, 0});
        }
    for (int s = 0; s < stacks; ++s)
        for (int i = 0; i < slices; ++i) {
            const int a = s * (slices + 1) + i, b = a + 1, d = a + slices + 1, e = d + 1;
            mesh.quad(a, d, e, b, 0);
        }
    mesh.uvFaces = mesh.faces;
    return mesh;
}

std::string Point(V3 p) { return FormatText("%.4f\t%.4f\t%.4f", p.x, p.y, p.z); }
std::string Rotation(V3 axis, double angle) { return Point(axis) + FormatText("\t%.4f", angle); }
std::string Scale(double s) { return FormatText("%.4f\t%.4f\t%.4f\t0.0000\t0.0000\t0.0000\t0.0000", s, s, s); }

// ---- the text ---------------------------------------------------------------------------------

void AseText::line(int depth, const char* format, ...)
{
    text_.append(std::size_t(depth), '\t');
    char buffer[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    text_ += buffer;
    text_ += '\n';
}

void AseText::nodeTransform(int depth, const std::string& name, V3 position)
{
    open(depth, "NODE_TM");
    line(depth + 1, "*NODE_NAME \"%s\"", name.c_str());
    line(depth + 1, "*INHERIT_POS 0 0 0");
    line(depth + 1, "*INHERIT_ROT 0 0 0");
    line(depth + 1, "*INHERIT_SCL 0 0 0");
    line(depth + 1, "*TM_ROW0 1.0000\t0.0000\t0.0000");
    line(depth + 1, "*TM_ROW1 0.0000\t1.0000\t0.0000");
    line(depth + 1, "*TM_ROW2 0.0000\t0.0000\t1.0000");
    line(depth + 1, "*TM_ROW3 %s", Point(position).c_str());
    line(depth + 1, "*TM_POS %s", Point(position).c_str());
    line(depth + 1, "*TM_ROTAXIS 0.0000\t0.0000\t0.0000");
    line(depth + 1, "*TM_ROTANGLE 0.0000");
    line(depth + 1, "*TM_SCALE 1.0000\t1.0000\t1.0000");
    line(depth + 1, "*TM_SCALEAXIS 0.0000\t0.0000\t0.0000");
    line(depth + 1, "*TM_SCALEAXISANG 0.0000");
    close(depth);
}

void AseText::vertexList(int depth, const std::vector<V3>& vertices)
{
    open(depth, "MESH_VERTEX_LIST");
    for (std::size_t i = 0; i < vertices.size(); ++i)
        line(depth + 1, "*MESH_VERTEX %4zu\t%s", i, Point(vertices[i]).c_str());
    close(depth);
}

void AseText::mesh(int depth, const Mesh& mesh, int time)
{
    open(depth, "MESH");
    line(depth + 1, "*TIMEVALUE %d", time);
    line(depth + 1, "*MESH_NUMVERTEX %zu", mesh.vertices.size());
    line(depth + 1, "*MESH_NUMFACES %zu", mesh.faces.size());
    vertexList(depth + 1, mesh.vertices);
    open(depth + 1, "MESH_FACE_LIST");
    for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
        const auto& face = mesh.faces[f];
        line(depth + 2, "*MESH_FACE %4zu:    A: %4d B: %4d C: %4d AB:    1 BC:    1 CA:    0\t *MESH_SMOOTHING 1 \t*MESH_MTLID %d",
             f, face[0], face[1], face[2], mesh.materialIds[f]);
    }
    close(depth + 1);
    line(depth + 1, "*MESH_NUMTVERTEX %zu", mesh.uvs.size());
    open(depth + 1, "MESH_TVERTLIST");
    for (std::size_t i = 0; i < mesh.uvs.size(); ++i) line(depth + 2, "*MESH_TVERT %zu\t%s", i, Point(mesh.uvs[i]).c_str());
    close(depth + 1);
    line(depth + 1, "*MESH_NUMTVFACES %zu", mesh.uvFaces.size());
    open(depth + 1, "MESH_TFACELIST");
    for (std::size_t f = 0; f < mesh.uvFaces.size(); ++f)
        line(depth + 2, "*MESH_TFACE %zu\t%d\t%d\t%d", f, mesh.uvFaces[f][0], mesh.uvFaces[f][1], mesh.uvFaces[f][2]);
    close(depth + 1);
    line(depth + 1, "*MESH_NUMCVERTEX 0");
    normals(depth + 1, mesh);
    close(depth);
}

// Flat normals: every corner of a face takes the face's normal.
void AseText::normals(int depth, const Mesh& mesh)
{
    open(depth, "MESH_NORMALS");
    for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
        const auto& face = mesh.faces[f];
        const V3 normal = Normalised(Cross(mesh.vertices[face[1]] - mesh.vertices[face[0]],
                                           mesh.vertices[face[2]] - mesh.vertices[face[0]]));
        line(depth + 1, "*MESH_FACENORMAL %zu\t%s", f, Point(normal).c_str());
        for (int corner : face) line(depth + 2, "*MESH_VERTEXNORMAL %d\t%s", corner, Point(normal).c_str());
    }
    close(depth);
}

void AseText::track(int depth, const char* kind, const std::function<std::string(int)>& sample)
{
    line(depth, "*CONTROL_%s_TRACK {", kind);
    for (int frame = 0; frame <= lastFrame_; ++frame)
        line(depth + 1, "*CONTROL_%s_SAMPLE %d\t%s", kind, frame * kTicksPerFrame, sample(frame).c_str());
    close(depth);
}

// ---- records ----------------------------------------------------------------------------------

void SceneInfo(AseText& ase, const char* maxFile, V3 ambient)
{
    ase.line(0, "*3DSMAX_ASCIIEXPORT\t200");
    ase.line(0, "*COMMENT \"AsciiExport Version  2,00 - vekcontent sample scene\"");
    ase.open(0, "SCENE");
    ase.line(1, "*SCENE_FILENAME \"%s\"", maxFile);
    ase.line(1, "*SCENE_FIRSTFRAME 0");
    ase.line(1, "*SCENE_LASTFRAME %d", ase.lastFrame());
    ase.line(1, "*SCENE_FRAMESPEED 30");
    ase.line(1, "*SCENE_TICKSPERFRAME %d", kTicksPerFrame);
    ase.line(1, "*SCENE_BACKGROUND_STATIC 0.0000\t0.0000\t0.0000");
    ase.line(1, "*SCENE_AMBIENT_STATIC %s", Point(ambient).c_str());
    ase.close(0);
}

namespace {
// The engine takes a material colour channel c of the file as 1 - c, so each colour is
// written that way round.
std::string EngineColour(V3 wanted) { return Point(V3{1, 1, 1} - wanted); }

void SurfaceLines(AseText& ase, int depth, const Surface& surface, bool withSelfIllumination)
{
    const V3 d = surface.diffuse;
    ase.line(depth, "*MATERIAL_AMBIENT %s", EngineColour(d * 0.3).c_str());
    ase.line(depth, "*MATERIAL_DIFFUSE %s", EngineColour(d).c_str());
    ase.line(depth, "*MATERIAL_SPECULAR %s", EngineColour({0.5, 0.5, 0.5}).c_str());
    ase.line(depth, "*MATERIAL_SHINE 0.2500");
    ase.line(depth, "*MATERIAL_SHINESTRENGTH 0.0500");
    ase.line(depth, "*MATERIAL_TRANSPARENCY %.4f", surface.transparency);
    ase.line(depth, "*MATERIAL_WIRESIZE 1.0000");
    ase.line(depth, "*MATERIAL_SHADING Blinn");
    ase.line(depth, "*MATERIAL_XP_FALLOFF 0.0000");
    if (withSelfIllumination) ase.line(depth, "*MATERIAL_SELFILLUM %.4f", surface.selfIllumination);
    ase.line(depth, "*MATERIAL_FALLOFF In");
    ase.line(depth, "*MATERIAL_XP_TYPE Filter");
    if (!surface.bitmap) return;
    ase.open(depth, "MAP_DIFFUSE");
    ase.line(depth + 1, "*MAP_NAME \"Map %s\"", surface.bitmap);
    ase.line(depth + 1, "*MAP_CLASS \"Bitmap\"");
    ase.line(depth + 1, "*MAP_SUBNO 1");
    ase.line(depth + 1, "*MAP_AMOUNT 1.0000");
    ase.line(depth + 1, "*BITMAP \"C:\\3dsmax\\maps\\%s\"", surface.bitmap);
    ase.line(depth + 1, "*MAP_TYPE Screen");
    ase.line(depth + 1, "*BITMAP_FILTER Pyramidal");
    ase.close(depth);
}
}  // namespace

void MaterialList(AseText& ase, const std::vector<MaterialSpec>& materials)
{
    ase.open(0, "MATERIAL_LIST");
    ase.line(1, "*MATERIAL_COUNT %zu", materials.size());
    for (std::size_t i = 0; i < materials.size(); ++i) {
        const MaterialSpec& material = materials[i];
        const bool multi = !material.subMaterials.empty();
        ase.line(1, "*MATERIAL %zu {", i);
        ase.line(2, "*MATERIAL_NAME \"%s\"", material.name);
        ase.line(2, "*MATERIAL_CLASS \"%s\"", multi ? "Multi/Sub-Object" : "Standard");
        SurfaceLines(ase, 2, material.surface, !multi);
        if (multi) {
            ase.line(2, "*NUMSUBMTLS %zu", material.subMaterials.size());
            for (std::size_t s = 0; s < material.subMaterials.size(); ++s) {
                ase.line(2, "*SUBMATERIAL %zu {", s);
                ase.line(3, "*MATERIAL_NAME \"%s\"", material.subMaterials[s].first);
                ase.line(3, "*MATERIAL_CLASS \"Standard\"");
                SurfaceLines(ase, 3, material.subMaterials[s].second, true);
                ase.close(2);
            }
        }
        ase.close(1);
    }
    ase.close(0);
}

namespace {
void NodeAnimation(AseText& ase, const std::string& name, const NodeTracks& tracks)
{
    if (!tracks.any()) return;
    ase.open(1, "TM_ANIMATION");
    ase.line(2, "*NODE_NAME \"%s\"", name.c_str());
    if (tracks.position) ase.track(2, "POS", tracks.position);
    if (tracks.rotation) ase.track(2, "ROT", tracks.rotation);
    if (tracks.scale) ase.track(2, "SCALE", tracks.scale);
    ase.close(1);
}

void MorphAnimation(AseText& ase, const std::function<Mesh(int)>& morph)
{
    ase.open(1, "MESH_ANIMATION");
    for (int frame = 0; frame <= ase.lastFrame(); ++frame) {
        const Mesh mesh = morph(frame);
        ase.open(2, "MESH");
        ase.line(3, "*TIMEVALUE %d", frame * kTicksPerFrame);
        ase.line(3, "*MESH_NUMVERTEX %zu", mesh.vertices.size());
        ase.line(3, "*MESH_NUMFACES %zu", mesh.faces.size());
        ase.vertexList(3, mesh.vertices);
        ase.close(2);
    }
    ase.close(1);
}
}  // namespace

void GeomObject(AseText& ase, const ObjectSpec& object)
{
    ase.open(0, "GEOMOBJECT");
    ase.line(1, "*NODE_NAME \"%s\"", object.name.c_str());
    if (!object.parent.empty()) ase.line(1, "*NODE_PARENT \"%s\"", object.parent.c_str());
    ase.nodeTransform(1, object.name, object.pivot);
    ase.mesh(1, object.mesh, 0);
    ase.line(1, "*PROP_MOTIONBLUR 0");
    ase.line(1, "*PROP_CASTSHADOW 1");
    ase.line(1, "*PROP_RECVSHADOW 1");
    NodeAnimation(ase, object.name, object.tracks);
    if (object.morph) MorphAnimation(ase, object.morph);
    ase.line(1, "*MATERIAL_REF %d", object.material);
    ase.close(0);
}

namespace {
void CameraSettings(AseText& ase, int depth, int frame, double fov, double distance)
{
    ase.open(depth, "CAMERA_SETTINGS");
    ase.line(depth + 1, "*TIMEVALUE %d", frame * kTicksPerFrame);
    ase.line(depth + 1, "*CAMERA_NEAR 0.0000");
    ase.line(depth + 1, "*CAMERA_FAR 1000.0000");
    ase.line(depth + 1, "*CAMERA_FOV %.4f", fov);
    ase.line(depth + 1, "*CAMERA_TDIST %.4f", distance);
    ase.close(depth);
}
}  // namespace

void TargetCamera(AseText& ase, const CameraSpec& camera)
{
    const V3 eye = camera.eyeAt ? camera.eyeAt(0) : camera.eye;
    const V3 target = camera.targetAt ? camera.targetAt(0) : camera.target;
    const double distance = Length(target - eye);
    const auto fovAt = [&](int frame) { return camera.fovAt ? camera.fovAt(frame) : camera.fov; };
    ase.open(0, "CAMERAOBJECT");
    ase.line(1, "*NODE_NAME \"%s\"", camera.name.c_str());
    ase.line(1, "*CAMERA_TYPE Target");
    ase.nodeTransform(1, camera.name, eye);
    ase.nodeTransform(1, camera.name + ".Target", target);
    CameraSettings(ase, 1, 0, fovAt(0), distance);
    if (camera.fovAt) {
        ase.open(1, "CAMERA_ANIMATION");
        for (int frame = 0; frame <= ase.lastFrame(); ++frame) CameraSettings(ase, 2, frame, fovAt(frame), distance);
        ase.close(1);
    }
    if (camera.eyeAt)
        NodeAnimation(ase, camera.name, {[&](int frame) { return Point(camera.eyeAt(frame)); }, nullptr, nullptr});
    if (camera.targetAt)
        NodeAnimation(ase, camera.name + ".Target",
                      {[&](int frame) { return Point(camera.targetAt(frame)); }, nullptr, nullptr});
    ase.close(0);
}

void OmniLight(AseText& ase, const char* name, V3 position, V3 colour, const std::function<V3(int)>& positionAt)
{
    ase.open(0, "LIGHTOBJECT");
    ase.line(1, "*NODE_NAME \"%s\"", name);
    ase.line(1, "*LIGHT_TYPE Omni");
    ase.nodeTransform(1, name, positionAt ? positionAt(0) : position);
    ase.line(1, "*LIGHT_SHADOWS Off");
    ase.line(1, "*LIGHT_USELIGHT 1");
    ase.open(1, "LIGHT_SETTINGS");
    ase.line(2, "*TIMEVALUE 0");
    ase.line(2, "*LIGHT_COLOR %s", Point(colour).c_str());
    ase.line(2, "*LIGHT_INTENS 1.0000");
    ase.close(1);
    if (positionAt) NodeAnimation(ase, name, {[&](int frame) { return Point(positionAt(frame)); }, nullptr, nullptr});
    ase.close(0);
}

// ---- files ------------------------------------------------------------------------------------

bool WriteTextFile(const std::filesystem::path& path, const std::string& text)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    const bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = file && std::fclose(file) == 0;
    if (written && closed) return true;
    std::fprintf(stderr, "vekcontent: cannot write %s\n", path.c_str());
    return false;
}

bool WriteTexture(const std::filesystem::path& path, const std::function<V3(int, int)>& shade)
{
    constexpr int side = kTextureSide;
    std::vector<unsigned char> rgb(std::size_t(side) * side * 3);
    const auto byte = [](double v) { return static_cast<unsigned char>(std::fmin(std::fmax(v, 0.0), 1.0) * 255.0 + 0.5); };
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const V3 colour = shade(x, y);
            unsigned char* p = &rgb[(std::size_t(y) * side + std::size_t(x)) * 3];
            p[0] = byte(colour.x);
            p[1] = byte(colour.y);
            p[2] = byte(colour.z);
        }
    if (WriteJpegFile(path.string(), rgb.data(), side, side, JpegWriteOptions{90})) return true;
    std::fprintf(stderr, "vekcontent: cannot write %s\n", path.c_str());
    return false;
}

}  // namespace contentgen::ase
