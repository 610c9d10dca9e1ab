// Textures: JPEG files from Data/ decoded into TextureImages, uploaded as GL textures
// (mipmapped when square), the alpha merge of alpha materials, the lights' glow textures
// and the multitexture capability check that every new material runs.
#pragma once

#include "VEK_TextureImage.h"

#include <GL/gl.h>

#include <string>

class Light;
class Material;

// The directory every texture file name is read from.
inline constexpr char kTextureDirectory[] = "Data/";

// Decodes Data/<fileName> into image. A missing file shows "JPG Handler"'s message; an
// undecodable one fails silently. Either way image.loaded stays false.
void LoadTexture(TextureImage& image, const std::string& fileName);

// Creates and fills the textures of a material and of its sub-materials. A material whose
// image did not load keeps textureName 0.
void UploadMaterialTexture(Material& material);

// Gives the material's texture the alpha of sub-material 1's image (its red channel) and
// uploads it as RGBA. Runs once per material; refused for images over 1024 rows and when
// sub-material 1's image is smaller.
void MergeAlpha(Material& material);

// Decodes "raw1.bin" and "raw2.bin" for the light and uploads its two glow textures. An
// image that did not load becomes a white 1 x 1 texture (its decode showed the message).
void CreateGlowTextures(Light& light);

// The extension string and the multitexture entry points; warnings when they are missing.
// Ends the process with exit code -2 when there is no extension string at all.
void CheckCapabilities(Material& material);

// Uploads RGB (or RGBA) pixels to the bound texture with the materials' filters: linear,
// with mipmaps and trilinear minification for square images.
void UploadBoundTexture(const TextureImage& image, GLenum format);

// Installs the record hooks: materials run CheckCapabilities when constructed and decode
// their texture files with LoadTexture. Needs a current GL context from then on.
void InstallRecordGLHooks();
