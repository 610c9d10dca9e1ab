// Building blocks of the sample show's 3D scenes: meshes in the scene's Z-up space, and a
// writer of 3ds Max ASCII exports (ASE) in the layout of the 3ds Max exporter, which the
// import plug-in converts into binary scene files.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace contentgen::ase {

constexpr int kTicksPerFrame = 160;   // 30 frames per second
constexpr int kTextureSide = 128;     // every scene texture: a power of two, as none is scaled
constexpr double kPi = 3.14159265358979323846;

inline double Seconds(int frame) { return frame / 30.0; }

struct V3 {
    double x = 0, y = 0, z = 0;
};
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Length(V3 a);

struct Mesh {
    std::vector<V3> vertices;
    std::vector<std::array<int, 3>> faces;
    std::vector<int> materialIds;   // one per face
    std::vector<V3> uvs;
    std::vector<std::array<int, 3>> uvFaces;

    void quad(int a, int b, int c, int d, int id);
    // Adds another mesh's vertices and faces; its faces take the sub-material id given.
    void append(const Mesh& other, int id);
};

// columns x rows cells in the plane spanned by across and up from origin; the texture
// repeats tiles times. Faces look along cross(across, up).
Mesh Grid(V3 origin, V3 across, V3 up, int columns, int rows, double tiles);
// A box around centre with the given half sizes: the four sides take sub-material 0, top
// and bottom 1.
Mesh Box(V3 centre, V3 half);
Mesh Sphere(V3 centre, double radius, int slices, int stacks);

std::string Point(V3 p);
// A rotation sample: axis and angle (radians).
std::string Rotation(V3 axis, double angle);
std::string Scale(double s);

class AseText {
public:
    explicit AseText(int lastFrame) : lastFrame_(lastFrame) {}
    void line(int depth, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void open(int depth, const char* keyword) { line(depth, "*%s {", keyword); }
    void close(int depth) { line(depth, "}"); }

    void nodeTransform(int depth, const std::string& name, V3 position);
    void vertexList(int depth, const std::vector<V3>& vertices);
    void mesh(int depth, const Mesh& mesh, int time);
    // A sampled track of every frame: sample(frame) gives the values after the time.
    void track(int depth, const char* kind, const std::function<std::string(int)>& sample);

    int lastFrame() const { return lastFrame_; }
    const std::string& text() const { return text_; }

private:
    void normals(int depth, const Mesh& mesh);
    std::string text_;
    int lastFrame_;
};

void SceneInfo(AseText& ase, const char* maxFile, V3 ambient);

struct Surface {
    V3 diffuse{0.8, 0.8, 0.8};
    const char* bitmap = nullptr;   // a file in Data/, or none
    double selfIllumination = 0.0;
    double transparency = 0.0;
};
struct MaterialSpec {
    const char* name;
    Surface surface;
    std::vector<std::pair<const char*, Surface>> subMaterials;   // empty: a standard material
};
void MaterialList(AseText& ase, const std::vector<MaterialSpec>& materials);

// The node's own tracks, written as one TM_ANIMATION block (each may be empty).
struct NodeTracks {
    std::function<std::string(int)> position, rotation, scale;
    bool any() const { return position || rotation || scale; }
};
struct ObjectSpec {
    std::string name, parent;
    V3 pivot;
    Mesh mesh;
    int material = 0;
    NodeTracks tracks;
    std::function<Mesh(int)> morph;   // the mesh at every frame, for morphing objects
};
void GeomObject(AseText& ase, const ObjectSpec& object);

// A target camera. Without eye, target and fov functions of the frame it stands still
// (a free camera in the engine); with them every frame is sampled.
struct CameraSpec {
    std::string name;
    V3 eye, target;
    double fov = 0.7854;   // radians
    std::function<V3(int)> eyeAt, targetAt;
    std::function<double(int)> fovAt;
};
void TargetCamera(AseText& ase, const CameraSpec& camera);

void OmniLight(AseText& ase, const char* name, V3 position, V3 colour,
               const std::function<V3(int)>& positionAt = nullptr);

bool WriteTextFile(const std::filesystem::path& path, const std::string& text);
// A JPEG texture of kTextureSide pixels a side: shade(x, y) gives the colour of each pixel,
// rows from the top.
bool WriteTexture(const std::filesystem::path& path, const std::function<V3(int, int)>& shade);

}  // namespace contentgen::ase
