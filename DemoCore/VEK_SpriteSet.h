// The loading screen's sprites: up to 10 textured quads whose images come from a named-slot
// K2D file (slot n feeds sprite n and texture n).
//
// Screen coordinates are pixels with y measured from the top of the screen; corners are
// kept in GL's orientation (y up), so a sprite at y = 0 touches the top edge.
#pragma once

#include "VEK_K2DImages.h"

#include <GL/gl.h>

struct SpriteCorner {
    int x = 0;
    int y = 0;
};

class Sprite {
public:
    enum Corner { topLeft, bottomLeft, bottomRight, topRight };

    // Gives the sprite its decoded image: tinted (0.7), not additive, without per-corner
    // colours, visible and owning the pixels.
    void TakeImage(k2d::Image image, int screenWidth, int screenHeight);

    // Scales the image to width x height pixels (truncated); without an image nothing changes.
    void ScaleToSize(int width, int height);
    // Moves current and target position; a centred sprite is placed by its centre.
    void SetPosition(int x, int y, int z);
    void SetAlpha(float alpha) { alpha_ = alpha; }
    void SetCentred(bool centred) { centred_ = centred; }

    // Draws the quad with the texture that is bound.
    void Draw() const;
    // The target position becomes the current one (after each drawing).
    void ArriveAtTarget();

    bool HasImage() const { return ownsPixels_ && pixels_ != nullptr; }
    bool visible() const { return visible_; }
    int imageWidth() const { return imageWidth_; }
    int imageHeight() const { return imageHeight_; }
    int displayedWidth() const { return displayedWidth_; }
    int displayedHeight() const { return displayedHeight_; }
    int x() const { return x_; }
    int y() const { return y_; }
    float alpha() const { return alpha_; }
    float tint() const { return tint_; }
    const SpriteCorner& corner(Corner which) const { return corners_[which]; }

private:
    void RebuildCorners();
    void SetColour() const;

    int imageWidth_ = 0, imageHeight_ = 0;
    std::unique_ptr<unsigned char[]> pixels_;
    k2d::ImageMemory memory_;
    bool ownsPixels_ = false;
    bool visible_ = false;
    int screenWidth_ = 0, screenHeight_ = 0;
    int x_ = 0, y_ = 0, z_ = 0;
    int targetX_ = 0, targetY_ = 0, targetZ_ = 0;
    int displayedWidth_ = 0, displayedHeight_ = 0;
    int halfWidth_ = 0, halfHeight_ = 0;
    float scaleX_ = 1.0f, scaleY_ = 1.0f;
    SpriteCorner corners_[4];
    bool additive_ = false;
    bool tinted_ = false;
    float tint_ = 1.0f;
    float alpha_ = 1.0f;
    bool perCornerColours_ = false;
    float cornerColours_[4][3] = {};
    bool noLighting_ = false;
    bool centred_ = false;
};

class SpriteSet {
public:
    static constexpr int kSprites = 10;

    // Needs the GL context: enables texturing and makes the 10 textures (linear filters).
    // The textures live as long as the context; the destructor makes no GL calls, since
    // the process-global set outlives the window.
    void Initialise(int width, int height, int colourDepth);
    // Loads a named-slot K2D file into the sprites of its slots. A missing file is
    // reported ("K2D Scene File Not Founde.") and leaves the sprites without images.
    bool Load(const char* path);

    // Operations on one sprite; an index outside 0..9 is ignored.
    void SetAlpha(float alpha, int index);
    void ScaleToSize(int width, int height, int index);
    void SetPosition(int x, int y, int z, int index);

    // Draws every visible sprite with an image, in index order, in an orthographic
    // projection of the screen; the GL state and matrices are restored afterwards.
    void Draw();

    const Sprite& sprite(int index) const { return sprites_[index]; }
    int loadedCount() const { return loaded_; }
    GLuint texture(int index) const { return textures_[index]; }

private:
    static bool ValidIndex(int index) { return index >= 0 && index < kSprites; }

    int width_ = 0, height_ = 0, colourDepth_ = 0;
    GLuint textures_[kSprites] = {};
    bool texturesMade_ = false;
    Sprite sprites_[kSprites];
    int loaded_ = 0;
};
