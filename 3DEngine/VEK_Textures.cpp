#include "VEK_Textures.h"

#include "VEK_FileReports.h"
#include "VEK_JpegReader.h"
#include "VEK_RenderState.h"
#include "VEK_SceneRecords.h"
#include "vekPlatform.h"

#include <GL/glu.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
// The fixed texts of this file.
constexpr char kJpgCaption[] = "JPG Handler";
constexpr char kMissingFileText[] = "vek engine: Fatal Error,Cannont Find texture bitmap file ";
constexpr char kDamagedFileText[] = "vek engine: texture file %s is damaged and was not loaded (%s).";
constexpr char kLoadingCaption[] = "K3D Loading ERROR";
constexpr char kNoExtensionsText[] =
    "vek engine: Fatal Error, glGetstring(GL_EXTENSIONS) failed, could not determine GL extensions";
constexpr char kWarningCaption[] = "vek Warning!";
constexpr char kNoSecondUnitText[] = "vek engine: Warning. There's no second texture unit on this client";
constexpr char kGraveCaption[] = "Vek error graver!";
constexpr char kNoMultiTexCoordText[] = "glMultiTexCoord2fARB Error!";
constexpr char kNoActiveTextureText[] = "glActiveTextureARB error! ";
constexpr char kGlowFiles[2][9] = {"raw1.bin", "raw2.bin"};
constexpr std::uint32_t kMaxAlphaRows = 1024;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

bool IsSquare(const TextureImage& image) { return image.width == image.height; }

void SetMaterialTextureParameters(bool square)
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, square ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    rgl::SetTextureEnv(GL_MODULATE);
}

void UploadOne(Material& material)
{
    if (!material.image.loaded) return;
    glGenTextures(1, &material.textureName);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, material.textureName);
    UploadBoundTexture(material.image, GL_RGB);
    glBindTexture(GL_TEXTURE_2D, material.textureName);
}

void UploadGlow(GLuint texture, const TextureImage& image)
{
    static const unsigned char kWhite[3] = {255, 255, 255};
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    rgl::SetTextureEnv(GL_DECAL);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (image.loaded)
        glTexImage2D(GL_TEXTURE_2D, 0, 3, GLsizei(image.width), GLsizei(image.height), 0, GL_RGB, GL_UNSIGNED_BYTE,
                     image.pixels.data());
    else
        glTexImage2D(GL_TEXTURE_2D, 0, 3, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, kWhite);
}

bool extensionsOverridden = false;
const char* extensionsForTest = nullptr;

const char* Extensions()
{
    if (extensionsOverridden) return extensionsForTest;
    return reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
}

bool HasExtension(const char* list, const char* name) { return std::strstr(list, name) != nullptr; }

template <typename Function>
void LookUp(Function& function, const char* name)
{
    if (!function) function = reinterpret_cast<Function>(plat::GetGLProcAddress(name));
}
}  // namespace

void LoadTexture(TextureImage& image, const std::string& fileName)
{
    image.loaded = false;
    if (fileName.empty()) return;   // a material without a bitmap is drawn untextured
    const std::string path = kTextureDirectory + fileName;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        if (filereports::FirstReport(path)) plat::ShowMessage(kJpgCaption, (kMissingFileText + path).c_str());
        return;
    }
    JpegReader reader;
    std::vector<std::uint8_t> pixels;
    const bool header = reader.ReadHeader(file.get()) && std::fseek(file.get(), 0, SEEK_SET) == 0;
    if (header) pixels.resize(reader.ByteSize());
    if (!header || !reader.Decode(file.get(), pixels.data(), pixels.size())) {
        // A cut or corrupt image is left out whole: half a texture of grey is no picture.
        if (filereports::FirstReport(path)) {
            char text[512];
            std::snprintf(text, sizeof text, kDamagedFileText, path.c_str(),
                          *reader.LastMessage() ? reader.LastMessage() : "not a JPEG image");
            plat::ShowMessage(kJpgCaption, text);
        }
        return;
    }
    image.width = reader.Width();
    image.height = reader.Height();
    image.pixels = std::move(pixels);
    image.loaded = true;
}

void UploadBoundTexture(const TextureImage& image, GLenum format)
{
    const bool square = IsSquare(image);
    const GLint internalFormat = format == GL_RGBA ? GL_RGBA : 3;
    SetMaterialTextureParameters(square);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, GLsizei(image.width), GLsizei(image.height), 0, format,
                 GL_UNSIGNED_BYTE, image.pixels.data());
    if (square)
        gluBuild2DMipmaps(GL_TEXTURE_2D, format == GL_RGBA ? GL_RGBA : GL_RGB, GLint(image.width),
                          GLint(image.height), format, GL_UNSIGNED_BYTE, image.pixels.data());
}

void UploadMaterialTexture(Material& material)
{
    UploadOne(material);
    if (!material.hasSubMaterials) return;
    for (std::uint32_t slot = 1; slot < material.subMaterialCount; ++slot)
        if (Material* sub = material.slot(slot)) UploadOne(*sub);
}

void MergeAlpha(Material& material)
{
    if (material.rgbaDone) return;
    TextureImage& image = material.image;
    glBindTexture(GL_TEXTURE_2D, material.textureName);
    glDisable(GL_TEXTURE_2D);
    if (image.height > kMaxAlphaRows || !image.loaded) return;
    const Material* sub = material.slot(1);
    const std::size_t pixelCount = std::size_t(image.width) * image.height;
    if (!sub || !sub->image.loaded || sub->image.pixels.size() < pixelCount * 3 || image.pixels.size() < pixelCount * 3)
        return;
    std::vector<std::uint8_t> rgba(pixelCount * 4);
    for (std::size_t k = 0; k < pixelCount; ++k) {
        std::memcpy(&rgba[k * 4], &image.pixels[k * 3], 3);
        rgba[k * 4 + 3] = sub->image.pixels[k * 3];
    }
    image.pixels = std::move(rgba);
    glEnable(GL_TEXTURE_2D);
    if (material.textureName == 0) glGenTextures(1, &material.textureName);
    glBindTexture(GL_TEXTURE_2D, material.textureName);
    UploadBoundTexture(image, GL_RGBA);
    material.rgbaDone = true;
}

void CreateGlowTextures(Light& light)
{
    for (int i = 0; i < 2; ++i) LoadTexture(light.glowImages[i], kGlowFiles[i]);
    GLuint names[2] = {0, 0};
    glGenTextures(2, names);
    light.glowTexture1 = names[0];
    light.glowTexture2 = names[1];
    glEnable(GL_TEXTURE_2D);
    UploadGlow(light.glowTexture1, light.glowImages[0]);
    UploadGlow(light.glowTexture2, light.glowImages[1]);
}

void CheckCapabilities(Material&)
{
    const char* extensions = Extensions();
    if (!extensions) {
        plat::ShowMessage(kLoadingCaption, kNoExtensionsText);
        std::exit(-2);
    }
    if (!HasExtension(extensions, "GL_ARB_multitexture") && !HasExtension(extensions, "NV_REGISTER_COMBINERS")) {
        plat::ShowMessage(kWarningCaption, kNoSecondUnitText);
        return;
    }
    rgl::MultitextureApi& api = rgl::Multitexture();
    LookUp(api.multiTexCoord2f, "glMultiTexCoord2fARB");
    if (!api.multiTexCoord2f) plat::ShowMessage(kGraveCaption, kNoMultiTexCoordText);
    LookUp(api.activeTexture, "glActiveTextureARB");
    if (!api.activeTexture) plat::ShowMessage(kGraveCaption, kNoActiveTextureText);
    if (!api.multiTexCoord2f || !api.activeTexture) plat::ShowMessage(kWarningCaption, kNoSecondUnitText);
}

void UseExtensionsForTest(const char* extensions)
{
    extensionsOverridden = true;
    extensionsForTest = extensions;
}

void UseDriverExtensions() { extensionsOverridden = false; }

void InstallRecordGLHooks()
{
    GLHooks().checkCapabilities = CheckCapabilities;
    GLHooks().loadTexture = LoadTexture;
}
