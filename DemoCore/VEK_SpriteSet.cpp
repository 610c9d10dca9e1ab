#include "VEK_SpriteSet.h"

#include "VEK_K2DTextures.h"

#include <vector>

namespace {
constexpr float kLoadedTint = 0.7f;
}

void Sprite::TakeImage(k2d::Image image, int screenWidth, int screenHeight)
{
    imageWidth_ = int(image.width);
    imageHeight_ = int(image.height);
    pixels_ = std::move(image.pixels);
    memory_ = std::move(image.memory);  // the pixels keep their share of the image budget
    ownsPixels_ = true;
    visible_ = true;
    tinted_ = true;
    tint_ = kLoadedTint;
    additive_ = false;
    perCornerColours_ = false;
    screenWidth_ = screenWidth;
    screenHeight_ = screenHeight;
}

void Sprite::ScaleToSize(int width, int height)
{
    if (imageWidth_ <= 0 || imageHeight_ <= 0) return;  // nothing to scale: no division by 0
    scaleX_ = float(width) / float(imageWidth_);
    scaleY_ = float(height) / float(imageHeight_);
    displayedWidth_ = int(float(imageWidth_) * scaleX_);
    displayedHeight_ = int(float(imageHeight_) * scaleY_);
    halfWidth_ = displayedWidth_ / 2;
    halfHeight_ = displayedHeight_ / 2;
    RebuildCorners();
}

void Sprite::SetPosition(int x, int y, int z)
{
    if (centred_) {
        x -= halfWidth_;
        y -= halfHeight_;
    }
    x_ = targetX_ = x;
    y_ = targetY_ = y;
    z_ = targetZ_ = z;
    RebuildCorners();
}

void Sprite::ArriveAtTarget()
{
    x_ = targetX_;
    y_ = targetY_;
    z_ = targetZ_;
}

// y counts from the top of the screen; GL's y counts from the bottom.
void Sprite::RebuildCorners()
{
    const int top = screenHeight_ - y_;
    corners_[topLeft] = {x_, top};
    corners_[bottomLeft] = {x_, top - displayedHeight_};
    corners_[bottomRight] = {x_ + displayedWidth_, top - displayedHeight_};
    corners_[topRight] = {x_ + displayedWidth_, top};
}

void Sprite::SetColour() const
{
    if (tinted_ && !additive_) glColor4f(tint_, tint_, tint_, alpha_);
    else if (perCornerColours_) return;  // given per vertex in Draw
    else if (additive_) glColor4f(tint_, tint_, tint_, alpha_);
    else glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void Sprite::Draw() const
{
    if (noLighting_) glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glDepthMask(GL_FALSE);
    glBlendFunc(GL_SRC_ALPHA, additive_ ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
    SetColour();
    const bool cornerColours = perCornerColours_ && !(tinted_ && !additive_);
    // Texture coordinates put the image's first row at the top.
    static constexpr float kTexCoords[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i) {
        if (cornerColours) glColor3fv(cornerColours_[i]);
        glTexCoord2fv(kTexCoords[i]);
        glVertex2i(corners_[i].x, corners_[i].y);
    }
    glEnd();
}

void SpriteSet::Initialise(int width, int height, int colourDepth)
{
    width_ = width;
    height_ = height;
    colourDepth_ = colourDepth;
    glEnable(GL_TEXTURE_2D);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (texturesMade_) return;  // a second call keeps the names it made
    glGenTextures(kSprites, textures_);
    for (GLuint texture : textures_) {
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    }
    texturesMade_ = true;
}

bool SpriteSet::Load(const char* path)
{
    std::vector<k2d::Image> images;
    const bool ok = k2d::LoadSpriteImages(path, textures_, images);
    for (k2d::Image& image : images) {
        Sprite& sprite = sprites_[image.slot];
        if (!sprite.HasImage()) ++loaded_;
        sprite.TakeImage(std::move(image), width_, height_);
    }
    return ok;
}

void SpriteSet::SetAlpha(float alpha, int index)
{
    if (ValidIndex(index)) sprites_[index].SetAlpha(alpha);
}

void SpriteSet::ScaleToSize(int width, int height, int index)
{
    if (ValidIndex(index)) sprites_[index].ScaleToSize(width, height);
}

void SpriteSet::SetPosition(int x, int y, int z, int index)
{
    if (ValidIndex(index)) sprites_[index].SetPosition(x, y, z);
}

void SpriteSet::Draw()
{
    // The blend, depth-write and texture state of the sprites must not leak into the
    // frames drawn after the loading screen.
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_LIGHTING_BIT | GL_CURRENT_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, width_, 0.0, height_, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    for (int i = 0; i < kSprites; ++i) {
        Sprite& sprite = sprites_[i];
        if (!sprite.HasImage() || !sprite.visible()) continue;
        glBindTexture(GL_TEXTURE_2D, textures_[i]);
        sprite.Draw();
        sprite.ArriveAtTarget();
    }
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}
