// The K2D readers of the system's objects: each opens its file, decodes within its
// limits, reports problems in one message box (caption "K2D Loading ERROR") and uploads
// the images as OpenGL textures (internal format 3, GL_RGB, unpack alignment 1) in the
// current context. Images are never scaled.
#pragma once

#include "VEK_K2DImages.h"

#include <GL/gl.h>

#include <vector>

namespace k2d {

// Uploads an image into a texture. wrap 0 leaves the wrap mode at its default.
struct TextureSetup {
    GLint filter = GL_LINEAR;  // minification and magnification
    GLint wrap = GL_CLAMP;
};
void UploadTexture(GLuint texture, const Image& image, const TextureSetup& setup);

// Shows the problems of a read in one message box; nothing when there were none.
void ReportProblems(const ReadResult& result);

// ---- skin (layout A) ----------------------------------------------------------------
struct SkinTextures {
    GLuint textures[2] = {0, 0};  // base, mask; generated once the file is open
    Image base, mask;             // kept by the object until it is destroyed
    bool hasBase = false;
    bool hasMask = false;
};
// Base only, or base and mask. A file that holds no mask after its base image loads as
// base only, without a message. Filters are GL_LINEAR when smooth (else GL_NEAREST) and
// always GL_LINEAR with a mask; wrap GL_CLAMP; texture environment GL_MODULATE.
// False when the file is missing ("K2D Scene File Not Founde.") or damaged.
bool LoadSkin(const char* path, bool withMask, bool smooth, SkinTextures& skin);

// ---- loading-screen sprite set (layout C) -------------------------------------------
inline constexpr int kSpriteSlots = 10;
// Up to 10 records; record slots 0 to 9 select the texture. Each image is uploaded to
// textures[slot] (GL_CLAMP, GL_LINEAR) and handed back for its sprite.
// False when the file is missing ("K2D Scene File Not Founde.") or damaged.
bool LoadSpriteImages(const char* path, const GLuint (&textures)[kSpriteSlots], std::vector<Image>& images);

// ---- lens-flare set (layout C) ------------------------------------------------------
inline constexpr int kLensFlareTextures = 12;
inline constexpr int kLensFlareImages = 5;
inline constexpr int kLensFlareSide = 128;
struct LensFlareTextures {
    GLuint textures[kLensFlareTextures] = {};  // generated once the file is open
    Image images[kLensFlareImages];            // image of record i; 128 x 128 or empty
};
// At most 5 records, slots 0 to 11, images of exactly 128 x 128; the image of record i is
// kept in images[i] and uploaded to the texture of its slot (GL_CLAMP, GL_LINEAR).
// False when the file is missing ("K2D LensFlare File Not Founde.") or damaged.
bool LoadLensFlares(const char* path, LensFlareTextures& set);

// ---- particle animation (layout B) --------------------------------------------------
inline constexpr int kMaxParticleImages = 3;
struct ParticleTextures {
    GLuint textures[kMaxParticleImages] = {};
    int count = 0;  // texture names generated: the stored count, at most 3
};
// At most 3 images, one texture each in order (GL_LINEAR, wrap left at the default); the
// pixels are freed after the upload. False when the file is missing
// ("K2D Particle_Sys File Not Founde.") or damaged.
bool LoadParticleImages(const char* path, ParticleTextures& particles);

}  // namespace k2d
