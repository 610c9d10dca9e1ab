#include "VEK_2D_Flash.h"

#include "VEK_2D_Effect.h"

#include <GL/gl.h>

namespace {
struct BlendFactors {
    GLenum source, destination;
};
constexpr BlendFactors kBlendModes[] = {
    {GL_SRC_ALPHA, GL_ONE},
    {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_COLOR},
    {GL_SRC_ALPHA, GL_DST_COLOR},
    {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA},
    {GL_SRC_ALPHA, GL_SRC_ALPHA},
    {GL_ONE_MINUS_SRC_COLOR, GL_ONE_MINUS_SRC_ALPHA},
};
constexpr int kBlendModeCount = int(sizeof kBlendModes / sizeof kBlendModes[0]);

// The area's quad, (0,0) to (width,height). Skin images are stored rows top first, so
// the first texture row (t = 0) goes to the top edge and the image shows upright.
void DrawAreaQuad(const Object2D& object, bool textured)
{
    const float w = object.width, h = object.height;
    glBegin(GL_QUADS);
    if (textured) glTexCoord2f(0.0f, 1.0f);
    glVertex2f(0.0f, 0.0f);
    if (textured) glTexCoord2f(1.0f, 1.0f);
    glVertex2f(w, 0.0f);
    if (textured) glTexCoord2f(1.0f, 0.0f);
    glVertex2f(w, h);
    if (textured) glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, h);
    glEnd();
}

void BindSkinTexture(GLuint texture)
{
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    // The environment is per texture unit, not per texture: the 3D engine may have changed it.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void DrawFlash(const Object2D& object)
{
    glDisable(GL_TEXTURE_2D);
    glDepthMask(GL_FALSE);
    ApplyBlendMode(object.blendFunc);
    glColor4f(object.red, object.green, object.blue, object.alpha);
    DrawAreaQuad(object, false);
    glDepthMask(GL_TRUE);
    glEnable(GL_TEXTURE_2D);
}

void DrawImage(const Object2D& object)
{
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    ApplyBlendMode(object.blendFunc);
    BindSkinTexture(object.skin.textures[0]);
    glColor4f(object.red, object.green, object.blue, object.alpha);
    DrawAreaQuad(object, true);
    glDepthMask(GL_TRUE);
}

// The mask multiplies what is on screen; the image is then added scaled by 1 - alpha.
// The blend mode is not used.
void DrawMasked(const Object2D& object)
{
    glDepthMask(GL_FALSE);
    glColor4f(1.0f, 1.0f, 1.0f, object.alpha);
    glBlendFunc(GL_DST_COLOR, GL_ZERO);
    BindSkinTexture(object.skin.textures[1]);
    DrawAreaQuad(object, true);
    glBlendFunc(GL_ONE_MINUS_SRC_ALPHA, GL_ONE);
    BindSkinTexture(object.skin.textures[0]);
    DrawAreaQuad(object, true);
    glDepthMask(GL_TRUE);
}
}  // namespace

void ApplyBlendMode(unsigned char mode)
{
    if (mode >= kBlendModeCount) return;
    glBlendFunc(kBlendModes[mode].source, kBlendModes[mode].destination);
}

void DrawFader(const Object2D& object)
{
    // An area without extent shows nothing (and would make a degenerate projection).
    if (object.width <= 0.0f || object.height <= 0.0f) return;
    glPushAttrib(GL_LIGHTING_BIT);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, object.width, 0.0, object.height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_BLEND);

    if (!object.skin.hasBase) DrawFlash(object);
    else if (!object.skin.hasMask) DrawImage(object);
    else DrawMasked(object);

    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
}
