#include "VEK_PostEffects.h"

#include "VEK_GLState.h"

namespace post {
namespace {
constexpr float kRadialFirstAlpha = 0.3f;
constexpr float kRadialGrey = 0.5f;

// States every full-viewport quad switches off first.
void LeaveSceneState()
{
    gl2d::SetTexGen(false);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
}
}  // namespace

void DrawDarkeningQuad(const Area& area, GLenum source, GLenum destination, float blur)
{
    if (area.empty()) return;
    LeaveSceneState();
    glDisable(GL_FOG);
    gl2d::PushFullViewportQuad(area.x, area.y, area.width, area.height);
    glBlendFunc(source, destination);
    glEnable(GL_BLEND);
    glColor4f(0.0f, 0.0f, 0.0f, blur);
    glDisable(GL_TEXTURE_2D);
    gl2d::DrawUnitQuad();
    gl2d::PopQuadMatrix();
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHTING);
    glDepthMask(GL_TRUE);
}

void DrawRadialBlur(const Area& area, GLuint texture, const RadialBlur& blur)
{
    if (area.empty()) return;
    LeaveSceneState();
    gl2d::PushFullViewportQuad(area.x, area.y, area.width, area.height);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glBlendFunc(GL_SRC_COLOR, GL_ONE_MINUS_SRC_ALPHA);

    const int passes = blur.passes < kMaxRadialPasses ? blur.passes : kMaxRadialPasses;
    float inset = 0.0f;
    float alpha = kRadialFirstAlpha;
    for (int pass = 0; pass < passes; ++pass, inset += blur.insetStep, alpha -= blur.alphaStep) {
        if (alpha < kInvisibleAlpha) continue;
        glColor4f(kRadialGrey, kRadialGrey, kRadialGrey, alpha);
        const float far = 1.0f - inset;
        gl2d::DrawUnitQuad({inset, inset, far, inset, far, far, inset, far});
    }

    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    gl2d::SetTexGen(true);
    glDepthMask(GL_TRUE);
    gl2d::PopQuadMatrix();
}

void DrawTextureOver(const Area& area, GLuint texture, GLenum source, GLenum destination, float strength)
{
    if (area.empty()) return;
    LeaveSceneState();
    glDisable(GL_FOG);
    gl2d::PushFullViewportQuad(area.x, area.y, area.width, area.height);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_BLEND);
    glBlendFunc(source, destination);
    glColor4f(1.0f, 1.0f, 1.0f, strength);
    gl2d::DrawUnitQuad({0, 0, 1, 0, 1, 1, 0, 1});
    gl2d::PopQuadMatrix();
    glDepthMask(GL_TRUE);
}

}  // namespace post
