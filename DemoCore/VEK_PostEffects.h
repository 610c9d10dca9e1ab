// The post effects of render-target layers: the black darkening quad that decides how
// much of the last captured frame survives under the next, the radial blur that redraws
// the previous capture zoomed and fading, and the layer's image laid over the screen.
// Each draws into whatever framebuffer is bound.
#pragma once

#include <GL/gl.h>

namespace post {

// A rectangle of the bound framebuffer, in pixels from its lower-left corner.
struct Area {
    GLint x = 0, y = 0;
    GLsizei width = 0, height = 0;
    bool empty() const { return width <= 0 || height <= 0; }
};

// Black quad of alpha blur over the area with the given blend factors. With the default
// factors (GL_SRC_ALPHA, GL_SRC_ALPHA) it leaves what is there multiplied by blur.
// Switches texturing, texture-coordinate generation, fog and depth testing off and leaves
// them off; colour material and lighting end up on, depth writes on.
void DrawDarkeningQuad(const Area& area, GLenum source, GLenum destination, float blur);

struct RadialBlur {
    int passes = 12;
    float insetStep = 0.02f;   // texture-coordinate inset added per pass
    float alphaStep = 0.075f;  // alpha removed per pass; the first pass has alpha 0.3
};
// The radial passes draw at most this many quads: by then the inset has long passed the
// middle of the texture, and a script value cannot make a frame arbitrarily slow.
inline constexpr int kMaxRadialPasses = 64;
// A pass whose alpha is below half an 8-bit step is not drawn: it would add light
// (its source factor is the source colour) although its alpha says it shows nothing.
inline constexpr float kInvisibleAlpha = 0.5f / 255.0f;
// Draws the capture texture over the area, once per visible pass, each a little more
// zoomed in and fainter, with (GL_SRC_COLOR, GL_ONE_MINUS_SRC_ALPHA). Leaves colour
// material, lighting, depth testing and texture-coordinate generation on, depth writes on.
void DrawRadialBlur(const Area& area, GLuint texture, const RadialBlur& blur);

// The texture over the area in colour (1, 1, 1, strength) with the given blend factors,
// upright (captured rows are bottom first). Leaves texturing and blending on and the
// viewport set to the area.
void DrawTextureOver(const Area& area, GLuint texture, GLenum source, GLenum destination, float strength);

}  // namespace post
