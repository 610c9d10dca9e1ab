// vekview renders a scene file into a PNG: the sample show's scene with its textured
// objects where the camera projects them, every real model that converts, and the exit
// status of bad command lines and damaged files.
#include "TempDir.h"
#include "VEK_Scene.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {
namespace fs = std::filesystem;

const std::string kBin = VEK_TEST_BIN_DIR;

std::string Quote(const std::string& text) { return "'" + text + "'"; }

struct ToolRun {
    int status = -1;
    std::string errors;   // standard error
};

// Runs a program of the build with arguments (already quoted), standard error captured.
ToolRun RunTool(const std::string& tool, const std::string& arguments, const fs::path& work)
{
    const fs::path errors = work / "stderr.txt";
    const std::string command = "SDL_VIDEODRIVER=offscreen " + Quote(kBin + "/" + tool) + " " + arguments + " >/dev/null 2>" +
                                Quote(errors.string());
    const int raw = std::system(command.c_str());
    ToolRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream in(errors);
    std::stringstream text;
    text << in.rdbuf();
    run.errors = text.str();
    return run;
}

int Occurrences(const std::string& text, const std::string& part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;   // top row first

    bool Background(int x, int y) const
    {
        const unsigned char* p = &rgb[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3];
        return p[0] == 0 && p[1] == 0 && p[2] == 0;
    }
    double Coverage() const
    {
        int covered = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) covered += Background(x, y) ? 0 : 1;
        return double(covered) / double(width * height);
    }
    // Mean red, green and blue over the (2r+1)^2 square around x, y (top-down rows).
    std::vector<double> Mean(int x, int y, int r) const
    {
        std::vector<double> sum(3, 0.0);
        int n = 0;
        for (int j = y - r; j <= y + r; ++j)
            for (int i = x - r; i <= x + r; ++i) {
                if (i < 0 || j < 0 || i >= width || j >= height) continue;
                for (int c = 0; c < 3; ++c) sum[std::size_t(c)] += rgb[(std::size_t(j) * std::size_t(width) + std::size_t(i)) * 3 + std::size_t(c)];
                ++n;
            }
        for (double& v : sum) v /= n > 0 ? n : 1;
        return sum;
    }
};

bool ReadPicture(const fs::path& path, Picture& picture)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    picture.width = int(image.width);
    picture.height = int(image.height);
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr) != 0;
}

// Where gluLookAt and gluPerspective put a point, in picture pixels (top-down rows).
bool Project(const Camera& camera, const Vector3& point, int width, int height, int& x, int& y)
{
    const Vector3 forward = normalize(subtract(camera.target, camera.eye));
    const Vector3 side = normalize(cross(forward, Vector3(0, 1, 0)));
    const Vector3 up = cross(side, forward);
    const Vector3 d = subtract(point, camera.eye);
    const float depth = dot(d, forward);
    if (depth <= 0) return false;
    const float focal = 1.0f / std::tan(camera.fov * 3.14159265f / 360.0f);
    const float aspect = float(width) / float(height);
    const float ndcX = focal / aspect * dot(d, side) / depth, ndcY = focal * dot(d, up) / depth;
    x = int((ndcX + 1) * 0.5f * float(width));
    y = height - 1 - int((ndcY + 1) * 0.5f * float(height));
    return x >= 0 && y >= 0 && x < width && y < height;
}

Vector3 Centre(const SceneObject& object)
{
    Vector3 sum;
    for (const MeshVertex& vertex : object.vertices) sum = add(sum, vertex.position);
    return scale(sum, 1.0f / float(object.vertices.empty() ? 1 : object.vertices.size()));
}

// The sample show made by the content generator, its scene converted as play.sh does.
class SampleScene : public ::testing::Test {
protected:
    void SetUp() override
    {
        show = dir / "show";
        ASSERT_EQ(std::system((Quote(kBin + "/vekcontent") + " " + Quote(show.string()) + " >/dev/null").c_str()), 0);
        const std::string convert = "cd " + Quote(show.string()) + " && " + Quote(kBin + "/ase2vek") +
                                    " escena/sample.ase escena/sample.vek >/dev/null";
        ASSERT_EQ(std::system(convert.c_str()), 0);
        scene = (show / "escena/sample.vek").string();
    }

    ToolRun View(const std::string& arguments) { return RunTool("vekview", Quote(scene) + " " + arguments, dir.path()); }

    TempDir dir;
    fs::path show;
    std::string scene;
};

TEST_F(SampleScene, TexturedObjectsAppearWhereTheCameraProjectsThem)
{
    const fs::path textured = dir / "textured.png", bare = dir / "bare.png";
    ASSERT_EQ(View("--out " + Quote(textured.string())).status, 0);
    Picture withTextures;
    ASSERT_TRUE(ReadPicture(textured, withTextures));
    ASSERT_EQ(withTextures.width, 800);
    ASSERT_EQ(withTextures.height, 600);
    EXPECT_GT(withTextures.Coverage(), 0.3) << "the floor, crate and flag fill much of the picture";

    // The same picture without the crate's and flag's textures: one message each, and the
    // pixels at those objects' projected centres change; nothing else is textured there.
    for (const char* file : {"escena1_crate.jpg", "escena1_flag.jpg"}) fs::rename(show / "Data" / file, dir / file);
    const ToolRun run = View("--out " + Quote(bare.string()));
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(Occurrences(run.errors, "Cannont Find texture bitmap file Data/escena1_crate.jpg"), 1) << run.errors;
    EXPECT_EQ(Occurrences(run.errors, "Cannont Find texture bitmap file Data/escena1_flag.jpg"), 1) << run.errors;
    Picture withoutTextures;
    ASSERT_TRUE(ReadPicture(bare, withoutTextures));

    const ScopedChdir work(dir.path());   // the loader writes its log in the working folder
    std::unique_ptr<Scene> loaded = LoadSceneFile(scene, "sample");
    ASSERT_TRUE(loaded);
    ASSERT_FALSE(loaded->cameras.empty());
    const Camera& camera = *loaded->cameras.atAs<Camera>(0);
    for (const char* name : {"Crate", "Flag"}) {
        SCOPED_TRACE(name);
        const SceneObject* object = loaded->findObject(name);
        ASSERT_TRUE(object);
        int x = 0, y = 0;
        ASSERT_TRUE(Project(camera, Centre(*object), 800, 600, x, y));
        EXPECT_FALSE(withTextures.Background(x, y)) << "at " << x << ", " << y;
        // Over the rectangle the object's vertices project to (a highlight may wash out
        // its very centre), the texture changes the picture.
        int left = 800, right = 0, top = 600, bottom = 0;
        for (const MeshVertex& vertex : object->vertices) {
            int vx = 0, vy = 0;
            if (!Project(camera, vertex.position, 800, 600, vx, vy)) continue;
            left = std::min(left, vx), right = std::max(right, vx), top = std::min(top, vy), bottom = std::max(bottom, vy);
        }
        ASSERT_TRUE(left <= x && x <= right && top <= y && y <= bottom);
        const int r = std::min(right - left, bottom - top) / 2;
        const std::vector<double> a = withTextures.Mean((left + right) / 2, (top + bottom) / 2, r);
        const std::vector<double> b = withoutTextures.Mean((left + right) / 2, (top + bottom) / 2, r);
        const double change = std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
        EXPECT_GT(change, 10.0) << "the texture shows around " << x << ", " << y;
    }
}

// The crate moves along its position keys: stepped to another frame, the picture around
// where it stood changes; the same frame asked twice gives the same picture.
TEST_F(SampleScene, FrameStepsTheAnimation)
{
    const fs::path first = dir / "first.png", again = dir / "again.png", later = dir / "later.png";
    ASSERT_EQ(View("--size 320x240 --out " + Quote(first.string())).status, 0);
    ASSERT_EQ(View("--size 320x240 --frame 0 --out " + Quote(again.string())).status, 0);
    ASSERT_EQ(View("--size 320x240 --frame 150 --out " + Quote(later.string())).status, 0);
    Picture a, b, c;
    ASSERT_TRUE(ReadPicture(first, a) && ReadPicture(again, b) && ReadPicture(later, c));
    EXPECT_EQ(a.rgb, b.rgb);
    std::size_t changed = 0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i) changed += a.rgb[i] != c.rgb[i] ? 1 : 0;
    EXPECT_GT(changed, a.rgb.size() / 100) << "frame 150 looks like frame 0";
}

TEST_F(SampleScene, BadCommandLinesExitWithTwo)
{
    const std::vector<std::string> cases = {
        "--size 0x600", "--size 800", "--size 80x60x2", "--frame -1", "--frame ten", "--camera", "--out", "--bogus",
        Quote(scene),   // a second scene file
    };
    for (const std::string& arguments : cases) {
        const ToolRun run = View(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.errors.find("usage: vekview"), std::string::npos) << arguments;
    }
    EXPECT_EQ(RunTool("vekview", "", dir.path()).status, 2) << "no scene file";
    EXPECT_EQ(RunTool("vekview", "--help", dir.path()).status, 0);
}

TEST_F(SampleScene, ScenesThatDoNotLoadExitWithOneAndSayWhy)
{
    std::ifstream in(scene, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 200u);
    dir.write("escena/truncated.vek", bytes.substr(0, bytes.size() / 3));
    std::string garbled = bytes;
    for (std::size_t i = 8; i < garbled.size(); i += 7) garbled[i] = char(0xff);
    dir.write("escena/garbled.vek", garbled);
    const struct {
        std::string file, arguments, reason;
    } cases[] = {
        {(dir / "escena/truncated.vek").string(), "", "cannot load"},
        {(dir / "escena/garbled.vek").string(), "", "cannot load"},
        {(dir / "escena/missing.vek").string(), "", "no such file"},
        {scene, "--camera NoSuchCamera", "NoSuchCamera"},
    };
    for (const auto& c : cases) {
        const ToolRun run = RunTool("vekview", Quote(c.file) + " " + c.arguments + " --out " + Quote((dir / "x.png").string()), dir.path());
        EXPECT_EQ(run.status, 1) << c.file << " " << c.arguments;
        EXPECT_NE(run.errors.find(c.reason), std::string::npos) << run.errors;
    }
}

// Every real model that converts can be looked at: no crash, and the preview camera and
// default light (or the file's own) show the model over a fair part of the picture.
TEST(VekviewCorpus, EveryConvertedModelIsRendered)
{
    const fs::path corpus = VEK_ASE_CORPUS;
    if (!fs::is_directory(corpus)) GTEST_SKIP() << "no ASE corpus at " << corpus;
    TempDir dir;
    int rendered = 0;
    for (const auto& entry : fs::directory_iterator(corpus)) {
        std::string extension = entry.path().extension().string();
        for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
        if (extension != ".ase") continue;
        const std::string stem = entry.path().stem().string();
        const fs::path vek = dir / (stem + ".vek"), png = dir / (stem + ".png");
        if (RunTool("ase2vek", Quote(entry.path().string()) + " " + Quote(vek.string()), dir.path()).status != 0) continue;
        SCOPED_TRACE(stem);
        const ToolRun run = RunTool("vekview", Quote(vek.string()) + " --size 320x240 --out " + Quote(png.string()), dir.path());
        ASSERT_EQ(run.status, 0) << run.errors;
        Picture picture;
        ASSERT_TRUE(ReadPicture(png, picture));
        EXPECT_GT(picture.Coverage(), 0.04);
        ++rendered;
    }
    EXPECT_GT(rendered, 0) << "no file of " << corpus << " converted";
}

}  // namespace
