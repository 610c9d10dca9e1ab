// The sample show's first 3D scene, written as a 3ds Max ASCII export (ASE) that the
// import plug-in converts:
//   "escena/sample.ase"   a textured floor; a spinning, bobbing crate with a two-slot
//                         multi-material; a pulsing orb that is the crate's child; a
//                         waving flag (a morphing mesh); two small boxes that the
//                         script makes particle emitters ("Sparks", "Rays"); a target
//                         camera circling the crate while it zooms; two omni lights, one
//                         of them moving
//   "Data/escena1_*.jpg"  the textures its bitmaps name
// Every track is sampled at every frame, as 3ds Max writes sampled controllers.
#include "VEK_ContentGen.h"
#include "VEK_Format.h"
#include "VEK_JpegWriter.h"

#include <array>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace contentgen {
namespace {
namespace fs = std::filesystem;

constexpr int kLastFrame = 300;        // 10 seconds at 30 frames per second
constexpr int kTicksPerFrame = 160;
constexpr double kPi = 3.14159265358979323846;

struct V3 {
    double x = 0, y = 0, z = 0;
};
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V3 Normalised(V3 a)
{
    const double length = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
    return length > 0 ? V3{a.x / length, a.y / length, a.z / length} : V3{0, 0, 1};
}

struct Mesh {
    std::vector<V3> vertices;
    std::vector<std::array<int, 3>> faces;
    std::vector<int> materialIds;   // one per face
    std::vector<V3> uvs;
    std::vector<std::array<int, 3>> uvFaces;

    void quad(int a, int b, int c, int d, int id)
    {
        faces.push_back({a, b, c});
        faces.push_back({c, d, a});
        materialIds.push_back(id);
        materialIds.push_back(id);
    }
};

// A grid of columns x rows cells in the plane spanned by across and up from origin, its
// texture repeated tiles times.
Mesh Grid(V3 origin, V3 across, V3 up, int columns, int rows, double tiles)
{
    Mesh mesh;
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= columns; ++c) {
            const double u = double(c) / columns, v = double(r) / rows;
            mesh.vertices.push_back({origin.x + across.x * u + up.x * v, origin.y + across.y * u + up.y * v,
                                     origin.z + across.z * u + up.z * v});
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

// A cube of the given half size around centre: sides use sub-material 0, top and bottom 1.
Mesh Crate(V3 centre, double half)
{
    Mesh mesh;
    const int sides[6][4] = {{0, 1, 5, 4}, {1, 3, 7, 5}, {3, 2, 6, 7}, {2, 0, 4, 6}, {4, 5, 7, 6}, {2, 3, 1, 0}};
    for (int i = 0; i < 8; ++i)
        mesh.vertices.push_back({centre.x + (i & 1 ? half : -half), centre.y + (i & 2 ? half : -half),
                                 centre.z + (i & 4 ? half : -half)});
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

// ---- ASE text in the layout of the 3ds Max exporter -----------------------------------------

class AseText {
public:
    void line(int depth, const char* format, ...) __attribute__((format(printf, 3, 4)))
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
    void open(int depth, const char* keyword) { line(depth, "*%s {", keyword); }
    void close(int depth) { line(depth, "}"); }

    void nodeTransform(int depth, const std::string& name, V3 position)
    {
        open(depth, "NODE_TM");
        line(depth + 1, "*NODE_NAME \"%s\"", name.c_str());
        line(depth + 1, "*INHERIT_POS 0 0 0");
        line(depth + 1, "*INHERIT_ROT 0 0 0");
        line(depth + 1, "*INHERIT_SCL 0 0 0");
        line(depth + 1, "*TM_ROW0 1.0000\t0.0000\t0.0000");
        line(depth + 1, "*TM_ROW1 0.0000\t1.0000\t0.0000");
        line(depth + 1, "*TM_ROW2 0.0000\t0.0000\t1.0000");
        line(depth + 1, "*TM_ROW3 %.4f\t%.4f\t%.4f", position.x, position.y, position.z);
        line(depth + 1, "*TM_POS %.4f\t%.4f\t%.4f", position.x, position.y, position.z);
        line(depth + 1, "*TM_ROTAXIS 0.0000\t0.0000\t0.0000");
        line(depth + 1, "*TM_ROTANGLE 0.0000");
        line(depth + 1, "*TM_SCALE 1.0000\t1.0000\t1.0000");
        line(depth + 1, "*TM_SCALEAXIS 0.0000\t0.0000\t0.0000");
        line(depth + 1, "*TM_SCALEAXISANG 0.0000");
        close(depth);
    }

    void vertexList(int depth, const std::vector<V3>& vertices)
    {
        open(depth, "MESH_VERTEX_LIST");
        for (std::size_t i = 0; i < vertices.size(); ++i)
            line(depth + 1, "*MESH_VERTEX %4zu\t%.4f\t%.4f\t%.4f", i, vertices[i].x, vertices[i].y, vertices[i].z);
        close(depth);
    }

    void mesh(int depth, const Mesh& mesh, int time)
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
        for (std::size_t i = 0; i < mesh.uvs.size(); ++i)
            line(depth + 2, "*MESH_TVERT %zu\t%.4f\t%.4f\t%.4f", i, mesh.uvs[i].x, mesh.uvs[i].y, mesh.uvs[i].z);
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
    void normals(int depth, const Mesh& mesh)
    {
        open(depth, "MESH_NORMALS");
        for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
            const auto& face = mesh.faces[f];
            const V3 normal = Normalised(Cross(mesh.vertices[face[1]] - mesh.vertices[face[0]],
                                               mesh.vertices[face[2]] - mesh.vertices[face[0]]));
            line(depth + 1, "*MESH_FACENORMAL %zu\t%.4f\t%.4f\t%.4f", f, normal.x, normal.y, normal.z);
            for (int corner : face)
                line(depth + 2, "*MESH_VERTEXNORMAL %d\t%.4f\t%.4f\t%.4f", corner, normal.x, normal.y, normal.z);
        }
        close(depth);
    }

    // A sampled track: sample(frame) gives the values after the time.
    template <typename Sample>
    void track(int depth, const char* kind, Sample sample)
    {
        line(depth, "*CONTROL_%s_TRACK {", kind);
        for (int frame = 0; frame <= kLastFrame; ++frame)
            line(depth + 1, "*CONTROL_%s_SAMPLE %d\t%s", kind, frame * kTicksPerFrame, sample(frame).c_str());
        close(depth);
    }

    const std::string& text() const { return text_; }

private:
    std::string text_;
};


std::string Point(V3 p) { return FormatText("%.4f\t%.4f\t%.4f", p.x, p.y, p.z); }

double Seconds(int frame) { return frame / 30.0; }

// ---- the scene --------------------------------------------------------------------------------

void SceneInfo(AseText& ase)
{
    ase.line(0, "*3DSMAX_ASCIIEXPORT\t200");
    ase.line(0, "*COMMENT \"AsciiExport Version  2,00 - vekcontent sample scene\"");
    ase.open(0, "SCENE");
    ase.line(1, "*SCENE_FILENAME \"sample.max\"");
    ase.line(1, "*SCENE_FIRSTFRAME 0");
    ase.line(1, "*SCENE_LASTFRAME %d", kLastFrame);
    ase.line(1, "*SCENE_FRAMESPEED 30");
    ase.line(1, "*SCENE_TICKSPERFRAME %d", kTicksPerFrame);
    ase.line(1, "*SCENE_BACKGROUND_STATIC 0.0000\t0.0000\t0.0000");
    ase.line(1, "*SCENE_AMBIENT_STATIC 0.1000\t0.1000\t0.1000");
    ase.close(0);
}

void Surface(AseText& ase, int depth, V3 diffuse, double selfIllumination, bool withSelfIllumination)
{
    ase.line(depth, "*MATERIAL_AMBIENT %.4f\t%.4f\t%.4f", diffuse.x * 0.3, diffuse.y * 0.3, diffuse.z * 0.3);
    ase.line(depth, "*MATERIAL_DIFFUSE %s", Point(diffuse).c_str());
    ase.line(depth, "*MATERIAL_SPECULAR 0.9000\t0.9000\t0.9000");
    ase.line(depth, "*MATERIAL_SHINE 0.2500");
    ase.line(depth, "*MATERIAL_SHINESTRENGTH 0.0500");
    ase.line(depth, "*MATERIAL_TRANSPARENCY 0.0000");
    ase.line(depth, "*MATERIAL_WIRESIZE 1.0000");
    ase.line(depth, "*MATERIAL_SHADING Blinn");
    ase.line(depth, "*MATERIAL_XP_FALLOFF 0.0000");
    if (withSelfIllumination) ase.line(depth, "*MATERIAL_SELFILLUM %.4f", selfIllumination);
    ase.line(depth, "*MATERIAL_FALLOFF In");
    ase.line(depth, "*MATERIAL_XP_TYPE Filter");
}

void DiffuseMap(AseText& ase, int depth, const char* file)
{
    ase.open(depth, "MAP_DIFFUSE");
    ase.line(depth + 1, "*MAP_NAME \"Map %s\"", file);
    ase.line(depth + 1, "*MAP_CLASS \"Bitmap\"");
    ase.line(depth + 1, "*MAP_SUBNO 1");
    ase.line(depth + 1, "*MAP_AMOUNT 1.0000");
    ase.line(depth + 1, "*BITMAP \"C:\\3dsmax\\maps\\%s\"", file);
    ase.line(depth + 1, "*MAP_TYPE Screen");
    ase.line(depth + 1, "*BITMAP_FILTER Pyramidal");
    ase.close(depth);
}

// 0 Floor, 1 Crate (multi: 0 CrateWood, 1 CrateTrim), 2 Orb, 3 Flag.
void Materials(AseText& ase)
{
    ase.open(0, "MATERIAL_LIST");
    ase.line(1, "*MATERIAL_COUNT 4");
    const auto plain = [&](int index, const char* name, V3 diffuse, double glow, const char* bitmap) {
        ase.line(1, "*MATERIAL %d {", index);
        ase.line(2, "*MATERIAL_NAME \"%s\"", name);
        ase.line(2, "*MATERIAL_CLASS \"Standard\"");
        Surface(ase, 2, diffuse, glow, true);
        if (bitmap) DiffuseMap(ase, 2, bitmap);
        ase.close(1);
    };
    plain(0, "Floor", {0.8, 0.8, 0.8}, 0.0, "escena1_floor.jpg");
    ase.line(1, "*MATERIAL 1 {");
    ase.line(2, "*MATERIAL_NAME \"Crate\"");
    ase.line(2, "*MATERIAL_CLASS \"Multi/Sub-Object\"");
    Surface(ase, 2, {0.6, 0.6, 0.6}, 0.0, false);
    ase.line(2, "*NUMSUBMTLS 2");
    ase.line(2, "*SUBMATERIAL 0 {");
    ase.line(3, "*MATERIAL_NAME \"CrateWood\"");
    ase.line(3, "*MATERIAL_CLASS \"Standard\"");
    Surface(ase, 3, {0.7, 0.5, 0.3}, 0.0, true);
    DiffuseMap(ase, 3, "escena1_crate.jpg");
    ase.close(2);
    ase.line(2, "*SUBMATERIAL 1 {");
    ase.line(3, "*MATERIAL_NAME \"CrateTrim\"");
    ase.line(3, "*MATERIAL_CLASS \"Standard\"");
    Surface(ase, 3, {0.3, 0.3, 0.35}, 0.0, true);
    ase.close(2);
    ase.close(1);
    plain(2, "Orb", {0.4, 0.7, 1.0}, 0.8, nullptr);
    plain(3, "Flag", {1.0, 1.0, 1.0}, 0.0, "escena1_flag.jpg");
    ase.close(0);
}

void Object(AseText& ase, const std::string& name, const std::string& parent, V3 pivot, const Mesh& mesh,
            int material, void (*animate)(AseText&))
{
    ase.open(0, "GEOMOBJECT");
    ase.line(1, "*NODE_NAME \"%s\"", name.c_str());
    if (!parent.empty()) ase.line(1, "*NODE_PARENT \"%s\"", parent.c_str());
    ase.nodeTransform(1, name, pivot);
    ase.mesh(1, mesh, 0);
    ase.line(1, "*PROP_MOTIONBLUR 0");
    ase.line(1, "*PROP_CASTSHADOW 1");
    ase.line(1, "*PROP_RECVSHADOW 1");
    if (animate) animate(ase);
    ase.line(1, "*MATERIAL_REF %d", material);
    ase.close(0);
}

const V3 kCrateCentre{0, 0, 40};
const V3 kOrbCentre{0, 0, 72};

void AnimateCrate(AseText& ase)
{
    ase.open(1, "TM_ANIMATION");
    ase.line(2, "*NODE_NAME \"Crate\"");
    ase.track(2, "POS", [](int frame) {
        return Point({0, 0, kCrateCentre.z + 8.0 * std::sin(2 * kPi * Seconds(frame) / 2.5)});
    });
    // The first sample is the node's rotation; each later one turns it further.
    ase.track(2, "ROT", [](int frame) {
        return FormatText("0.0000\t0.0000\t1.0000\t%.4f", frame == 0 ? 0.0 : 2 * kPi / kLastFrame);
    });
    ase.close(1);
}

void AnimateOrb(AseText& ase)
{
    ase.open(1, "TM_ANIMATION");
    ase.line(2, "*NODE_NAME \"Orb\"");
    ase.track(2, "SCALE", [](int frame) {
        const double scale = 1.0 + 0.25 * std::sin(2 * kPi * Seconds(frame));
        return FormatText("%.4f\t%.4f\t%.4f\t0.0000\t0.0000\t0.0000\t0.0000", scale, scale, scale);
    });
    ase.close(1);
}

Mesh FlagAt(int frame)
{
    Mesh flag = Grid({-90, 60, 20}, {50, 0, 0}, {0, 0, 30}, 10, 4, 1.0);
    for (std::size_t i = 0; i < flag.vertices.size(); ++i) {
        const double along = (flag.vertices[i].x + 90) / 50;   // 0 at the pole, 1 at the free end
        flag.vertices[i].y += 6.0 * along * std::sin(2 * kPi * (Seconds(frame) * 1.5 - along));
    }
    return flag;
}

void AnimateFlag(AseText& ase)
{
    ase.open(1, "MESH_ANIMATION");
    for (int frame = 0; frame <= kLastFrame; ++frame) {
        const Mesh flag = FlagAt(frame);
        ase.open(2, "MESH");
        ase.line(3, "*TIMEVALUE %d", frame * kTicksPerFrame);
        ase.line(3, "*MESH_NUMVERTEX %zu", flag.vertices.size());
        ase.line(3, "*MESH_NUMFACES %zu", flag.faces.size());
        ase.vertexList(3, flag.vertices);
        ase.close(2);
    }
    ase.close(1);
}

V3 CameraEye(int frame)
{
    const double angle = 2 * kPi * frame / kLastFrame - kPi / 2;
    return {160.0 * std::cos(angle), 160.0 * std::sin(angle), 90.0};
}
V3 CameraTarget(int frame) { return {0, 0, 35.0 + 10.0 * std::sin(2 * kPi * frame / kLastFrame)}; }
double CameraFov(int frame) { return 0.7854 - 0.2 * std::sin(kPi * frame / kLastFrame); }

void CameraSettings(AseText& ase, int depth, int frame, double distance)
{
    ase.open(depth, "CAMERA_SETTINGS");
    ase.line(depth + 1, "*TIMEVALUE %d", frame * kTicksPerFrame);
    ase.line(depth + 1, "*CAMERA_NEAR 0.0000");
    ase.line(depth + 1, "*CAMERA_FAR 1000.0000");
    ase.line(depth + 1, "*CAMERA_FOV %.4f", CameraFov(frame));
    ase.line(depth + 1, "*CAMERA_TDIST %.4f", distance);
    ase.close(depth);
}

void Camera(AseText& ase)
{
    const V3 eye = CameraEye(0), target = CameraTarget(0), view = target - eye;
    const double distance = std::sqrt(view.x * view.x + view.y * view.y + view.z * view.z);
    ase.open(0, "CAMERAOBJECT");
    ase.line(1, "*NODE_NAME \"Camera01\"");
    ase.line(1, "*CAMERA_TYPE Target");
    ase.nodeTransform(1, "Camera01", eye);
    ase.nodeTransform(1, "Camera01.Target", target);
    CameraSettings(ase, 1, 0, distance);
    ase.open(1, "CAMERA_ANIMATION");
    for (int frame = 0; frame <= kLastFrame; ++frame) CameraSettings(ase, 2, frame, distance);
    ase.close(1);
    ase.open(1, "TM_ANIMATION");
    ase.line(2, "*NODE_NAME \"Camera01\"");
    ase.track(2, "POS", [](int frame) { return Point(CameraEye(frame)); });
    ase.track(2, "ROT", [](int frame) {
        return FormatText("0.0000\t0.0000\t1.0000\t%.4f", frame == 0 ? 0.0 : 2 * kPi / kLastFrame);
    });
    ase.close(1);
    ase.open(1, "TM_ANIMATION");
    ase.line(2, "*NODE_NAME \"Camera01.Target\"");
    ase.track(2, "POS", [](int frame) { return Point(CameraTarget(frame)); });
    ase.close(1);
    ase.close(0);
}

V3 Omni02At(int frame)
{
    const double angle = 2 * kPi * Seconds(frame) / 5.0;
    return {70.0 * std::cos(angle), 70.0 * std::sin(angle), 55.0};
}

void OmniLight(AseText& ase, const char* name, V3 position, V3 colour, bool moving)
{
    ase.open(0, "LIGHTOBJECT");
    ase.line(1, "*NODE_NAME \"%s\"", name);
    ase.line(1, "*LIGHT_TYPE Omni");
    ase.nodeTransform(1, name, position);
    ase.line(1, "*LIGHT_SHADOWS Off");
    ase.line(1, "*LIGHT_USELIGHT 1");
    ase.open(1, "LIGHT_SETTINGS");
    ase.line(2, "*TIMEVALUE 0");
    ase.line(2, "*LIGHT_COLOR %s", Point(colour).c_str());
    ase.line(2, "*LIGHT_INTENS 1.0000");
    ase.close(1);
    if (moving) {
        ase.open(1, "TM_ANIMATION");
        ase.line(2, "*NODE_NAME \"%s\"", name);
        ase.track(2, "POS", [](int frame) { return Point(Omni02At(frame)); });
        ase.close(1);
    }
    ase.close(0);
}

std::string SampleScene()
{
    AseText ase;
    SceneInfo(ase);
    Materials(ase);
    Object(ase, "Floor", "", {0, 0, 0}, Grid({-120, -120, 0}, {240, 0, 0}, {0, 240, 0}, 8, 8, 4.0), 0, nullptr);
    Object(ase, "Crate", "", kCrateCentre, Crate(kCrateCentre, 15), 1, AnimateCrate);
    Object(ase, "Orb", "Crate", kOrbCentre, Sphere(kOrbCentre, 8, 12, 8), 2, AnimateOrb);
    Object(ase, "Flag", "", {-90, 60, 20}, FlagAt(0), 3, AnimateFlag);
    // Particle emitters in the show (an emitter draws its particles instead of its mesh).
    Object(ase, "Sparks", "", {60, -50, 10}, Crate({60, -50, 10}, 2), 2, nullptr);
    Object(ase, "Rays", "", {-50, -60, 30}, Crate({-50, -60, 30}, 2), 2, nullptr);
    Camera(ase);
    OmniLight(ase, "Omni01", {90, -90, 140}, {1.0, 0.9, 0.75}, false);
    OmniLight(ase, "Omni02", Omni02At(0), {0.4, 0.6, 1.0}, true);
    return ase.text();
}

// ---- textures ---------------------------------------------------------------------------------

constexpr int kTextureSide = 128;

template <typename Shade>
bool WriteTexture(const fs::path& path, Shade shade)
{
    std::vector<unsigned char> rgb(std::size_t(kTextureSide) * kTextureSide * 3);
    for (int y = 0; y < kTextureSide; ++y)
        for (int x = 0; x < kTextureSide; ++x) {
            const V3 colour = shade(x, y);
            unsigned char* p = &rgb[(std::size_t(y) * kTextureSide + std::size_t(x)) * 3];
            p[0] = static_cast<unsigned char>(std::fmin(std::fmax(colour.x, 0.0), 1.0) * 255.0 + 0.5);
            p[1] = static_cast<unsigned char>(std::fmin(std::fmax(colour.y, 0.0), 1.0) * 255.0 + 0.5);
            p[2] = static_cast<unsigned char>(std::fmin(std::fmax(colour.z, 0.0), 1.0) * 255.0 + 0.5);
        }
    return WriteJpegFile(path.string(), rgb.data(), kTextureSide, kTextureSide, JpegWriteOptions{90});
}

bool WriteTextures(const fs::path& data)
{
    const bool floor = WriteTexture(data / "escena1_floor.jpg", [](int x, int y) {
        const bool dark = ((x / 32) + (y / 32)) % 2 == 0;
        const double grain = 0.05 * std::sin(x * 0.7) * std::sin(y * 0.3);
        return dark ? V3{0.25 + grain, 0.27 + grain, 0.3 + grain} : V3{0.7 + grain, 0.7 + grain, 0.68 + grain};
    });
    const bool crate = WriteTexture(data / "escena1_crate.jpg", [](int x, int y) {
        const bool edge = x < 10 || y < 10 || x >= kTextureSide - 10 || y >= kTextureSide - 10 || std::abs(x - y) < 6;
        const double plank = 0.08 * std::sin(y * 0.5) + 0.04 * std::sin(x * 0.11 + y * 0.02);
        return edge ? V3{0.35, 0.22, 0.1} : V3{0.72 + plank, 0.52 + plank, 0.3 + plank};
    });
    const bool flag = WriteTexture(data / "escena1_flag.jpg", [](int x, int y) {
        const bool stripe = (y / 16) % 2 == 0;
        const double dx = x - 40.0, dy = y - 64.0;
        if (dx * dx + dy * dy < 24.0 * 24.0) return V3{1.0, 0.85, 0.1};
        return stripe ? V3{0.8, 0.1, 0.15} : V3{0.95, 0.95, 0.95};
    });
    return floor && crate && flag;
}

bool MakeSampleScene(const fs::path& show)
{
    const fs::path path = show / "escena/sample.ase";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    const std::string text = SampleScene();
    const bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file && std::fclose(file) != 0) return false;
    if (!written) {
        std::fprintf(stderr, "vekcontent: cannot write %s\n", path.c_str());
        return false;
    }
    if (WriteTextures(show / "Data")) return true;
    std::fprintf(stderr, "vekcontent: cannot write the textures of %s\n", path.c_str());
    return false;
}
}  // namespace

VEK_CONTENT_STEP(30, "3D scene escena/sample.ase and its textures Data/escena1_*.jpg", MakeSampleScene);

}  // namespace contentgen
