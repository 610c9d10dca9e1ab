#include "VEK_HeldFrame.h"

#include "VEK_GLState.h"

namespace {
// Power-of-two sides, as OpenGL 1.1 textures need.
int TextureSide(int pixels)
{
    int side = 1;
    while (side < pixels) side *= 2;
    return side;
}
}  // namespace

void HeldFrame::Grab(int width, int height)
{
    if (width <= 0 || height <= 0) return;
    glPushAttrib(GL_TEXTURE_BIT);
    if (!texture_ || TextureSide(width) != textureWidth_ || TextureSide(height) != textureHeight_) {
        Release();
        textureWidth_ = TextureSide(width);
        textureHeight_ = TextureSide(height);
        glGenTextures(1, &texture_);
        glBindTexture(GL_TEXTURE_2D, texture_);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, textureWidth_, textureHeight_, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    }
    width_ = width;
    height_ = height;
    glBindTexture(GL_TEXTURE_2D, texture_);
    glReadBuffer(GL_BACK);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
    glPopAttrib();
}

void HeldFrame::Draw() const
{
    if (!texture_) return;
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT | GL_VIEWPORT_BIT |
                 GL_TRANSFORM_BIT);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_CULL_FACE);
    glDisable(GL_ALPHA_TEST);
    gl2d::SetTexGen(false);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const GLfloat s = GLfloat(width_) / GLfloat(textureWidth_);
    const GLfloat t = GLfloat(height_) / GLfloat(textureHeight_);
    const GLfloat corners[8] = {0.0f, 0.0f, s, 0.0f, s, t, 0.0f, t};
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    gl2d::PushFullViewportQuad(0, 0, width_, height_);
    gl2d::DrawUnitQuad(corners);
    gl2d::PopQuadMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

void HeldFrame::Release()
{
    if (texture_) glDeleteTextures(1, &texture_);
    texture_ = 0;
    textureWidth_ = textureHeight_ = 0;
}
