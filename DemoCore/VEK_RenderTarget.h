// RenderTarget: the off-screen surface of a render-target layer. A framebuffer object
// (colour and depth renderbuffers) in the main context receives the layer's scene; after
// each frame its colour is copied into the capture texture (a copy inside the GPU) and
// darkened by the blur quad, so the next frame is drawn over a fading trail of this one.
// The texture is then laid over the screen with the layer's blend factors and strength.
//
// While a capture runs the framebuffer object is bound; BeginCapture saves the main
// frame's state and EndCapture restores all of it, so nothing the pass changes (the 3D
// engine's state included) reaches the main frame.
#pragma once

#include "VEK_GLState.h"
#include "VEK_PostEffects.h"

#include <GL/gl.h>

class RenderTarget {
public:
    static constexpr int kSourceFactors = 9;
    static constexpr int kDestinationFactors = 8;
    static const GLenum kSourceTable[kSourceFactors];
    static const GLenum kDestinationTable[kDestinationFactors];
    static constexpr int kMaxTextures = 4;

    RenderTarget() = default;
    virtual ~RenderTarget();
    RenderTarget(const RenderTarget&) = delete;
    RenderTarget& operator=(const RenderTarget&) = delete;

    // Creates the framebuffer object and the capture texture(s) in the current context and
    // sets the defaults. index only names the layer in messages. False (after one message)
    // when the driver has no framebuffer objects or the size is unusable; the target then
    // stays not ready and never captures or draws.
    bool Initialise(int index, int width, int height, int screenWidth, int screenHeight, int textureCount);
    // Script values, taken as unsigned 32-bit numbers: draw source = blenda mod 8, draw
    // destination = blendb mod 7, dark source = blendc mod 8, dark destination = blendd mod 7.
    void SetBlend(int blenda, int blendb, int blendc, int blendd);
    void SetAlphas(float blurAlpha, float strengthAlpha);
    void SetScreenRect(int x, int y, int w, int h);
    void SetActive(bool on) { active = on; }
    // Passes as given; the alpha falls by (alphaHigh - alphaLow) / passes per pass.
    void SetRadial(float alphaHigh, float alphaLow, int passes);
    void SetRadialOn(bool on) { radialOn = on; }

    // Binds the framebuffer object and clears its depth; colour is kept from the last frame.
    // Only when active and ready.
    void BeginCapture();
    // After the scene was drawn: radial blur when on, then copy the colour into the texture.
    void Capture();
    // Darkens the framebuffer object for the next frame and restores the main frame.
    void EndCapture();
    // Darkens the screen rectangle, then lays the texture over it. Only when active and ready.
    void DrawToScreen();
    // Clears colour and depth of the framebuffer object (with the main frame restored after).
    void Clear();
    void Release();

    // Framebuffer objects this process has tried to create (every Initialise that gets as
    // far as the driver), so tests can see that set-up does not rebuild surfaces.
    static long SurfacesCreated();

    int Width() const { return width; }
    int Height() const { return height; }
    bool IsReady() const { return ready; }
    bool IsCapturing() const { return capturing_; }
    GLuint Texture() const { return textures[0]; }

    int index = 0;
    int width = 0, height = 0;                 // pixels of the surface and of the capture
    int screenX = 0, screenY = 0, screenW = 800, screenH = 600;  // where it is shown
    int textureCount = 1;
    GLuint textures[kMaxTextures] = {};        // the first is the capture texture
    int drawSource = 4, drawDestination = 1;   // indices into the factor tables
    int darkSource = 4, darkDestination = 4;
    float strength = 0.6f;                     // alpha the texture is shown with
    float blur = 0.03f;                        // alpha of the black darkening quad
    bool radialOn = false;
    post::RadialBlur radial;
    bool active = false;                       // renders and is shown
    bool ready = false;                        // the surface exists and must be released

private:
    bool CreateSurface();
    void CreateTextures();
    post::Area SurfaceArea() const { return {0, 0, width, height}; }
    post::Area ScreenArea() const { return {0, screenY, screenW, screenH}; }

    const gl2d::FramebufferApi* api_ = nullptr;
    GLuint framebuffer_ = 0;
    GLuint colourBuffer_ = 0;
    GLuint depthBuffer_ = 0;
    gl2d::SavedFrameState saved_;
    bool capturing_ = false;
};
