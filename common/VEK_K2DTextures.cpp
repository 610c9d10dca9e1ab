#include "VEK_K2DTextures.h"

#include "VEK_K2DText.h"
#include "vekPlatform.h"

#include <cstdio>
#include <string>

namespace k2d {
namespace {
// An open K2D file, closed when it goes out of scope.
class OpenFile {
public:
    explicit OpenFile(const char* path) : file_(path && *path ? std::fopen(path, "rb") : nullptr) {}
    ~OpenFile()
    {
        if (file_) std::fclose(file_);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    std::FILE* get() const { return file_; }

private:
    std::FILE* file_;
};

bool ReportMissing(const char* notFoundText)
{
    plat::ShowMessage(text::kLoadCaption, notFoundText);
    return false;
}

ReadResult ReadAndReport(const OpenFile& file, const char* path, Layout layout, bool withMask, const ReadLimits& limits)
{
    ReadResult result = ReadImages(file.get(), path, layout, withMask, limits);
    ReportProblems(result);
    return result;
}
}  // namespace

void UploadTexture(GLuint texture, const Image& image, const TextureSetup& setup)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    if (setup.wrap) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, setup.wrap);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, setup.wrap);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, setup.filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, setup.filter);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);  // rows are width x 3 bytes with no padding
    glTexImage2D(GL_TEXTURE_2D, 0, 3, GLsizei(image.width), GLsizei(image.height), 0, GL_RGB, GL_UNSIGNED_BYTE,
                 image.pixels.get());
}

void ReportProblems(const ReadResult& result)
{
    if (result.problems.empty()) return;
    std::string message;
    for (const std::string& problem : result.problems) {
        if (!message.empty()) message += '\n';
        message += problem;
    }
    plat::ShowMessage(text::kLoadCaption, message.c_str());
}

bool LoadSkin(const char* path, bool withMask, bool smooth, SkinTextures& skin)
{
    OpenFile file(path);
    if (!file.get()) return ReportMissing(text::kSceneNotFound);
    glGenTextures(2, skin.textures);
    ReadResult result = ReadAndReport(file, path, Layout::skin, withMask, ReadLimits{2, 0, 0});
    if (result.damaged) return false;
    // The masked skin always draws with linear filtering; a file that holds no mask (or
    // one that could not be decoded) draws unmasked, filtered as its smoothing flag says.
    bool masked = false;
    for (const Image& image : result.images) masked = masked || image.slot == 1;
    const TextureSetup setup{masked || smooth ? GL_LINEAR : GL_NEAREST, GL_CLAMP};
    for (Image& image : result.images) {
        const bool isMask = image.slot == 1;
        UploadTexture(skin.textures[isMask ? 1 : 0], image, setup);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        (isMask ? skin.hasMask : skin.hasBase) = true;
        (isMask ? skin.mask : skin.base) = std::move(image);
    }
    return true;
}

bool LoadSpriteImages(const char* path, const GLuint (&textures)[kSpriteSlots], std::vector<Image>& images)
{
    OpenFile file(path);
    if (!file.get()) return ReportMissing(text::kSceneNotFound);
    ReadResult result = ReadAndReport(file, path, Layout::slots, false, ReadLimits{kSpriteSlots, kSpriteSlots, 0});
    if (result.damaged) return false;
    for (Image& image : result.images) {
        UploadTexture(textures[image.slot], image, TextureSetup{GL_LINEAR, GL_CLAMP});
        images.push_back(std::move(image));
    }
    return true;
}

bool LoadLensFlares(const char* path, LensFlareTextures& set)
{
    OpenFile file(path);
    if (!file.get()) return ReportMissing(text::kLensFlareNotFound);
    glGenTextures(kLensFlareTextures, set.textures);
    const ReadLimits limits{kLensFlareImages, kLensFlareTextures, kLensFlareSide};
    ReadResult result = ReadAndReport(file, path, Layout::slots, false, limits);
    if (result.damaged) return false;
    for (Image& image : result.images) {
        UploadTexture(set.textures[image.slot], image, TextureSetup{GL_LINEAR, GL_CLAMP});
        set.images[image.record] = std::move(image);
    }
    return true;
}

bool LoadParticleImages(const char* path, ParticleTextures& particles)
{
    OpenFile file(path);
    if (!file.get()) return ReportMissing(text::kParticleNotFound);
    ReadResult result =
        ReadAndReport(file, path, Layout::sequence, false, ReadLimits{kMaxParticleImages, 0, 0});
    if (result.damaged) return false;
    particles.count = result.storedImages < kMaxParticleImages ? result.storedImages : kMaxParticleImages;
    if (particles.count > 0) glGenTextures(particles.count, particles.textures);
    for (const Image& image : result.images) UploadTexture(particles.textures[image.slot], image, TextureSetup{GL_LINEAR, 0});
    return true;  // the decoded pixels go with result
}

}  // namespace k2d
