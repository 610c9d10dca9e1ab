#include "VEK_RenderTarget.h"

#include "VEK_2D_Text.h"
#include "vekPlatform.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {
// Layer images are small; this bounds what a script can make a layer allocate.
constexpr int kMaxTargetSide = 4096;
constexpr float kRadialInsetStep = 0.02f;

void ShowTargetMessage(const char* text) { plat::ShowMessage(text2d::kTargetCaption, text); }

// The driver's message is shown once per process, however many layers ask.
void ReportNoFramebuffers()
{
    static bool reported = false;
    if (reported) return;
    reported = true;
    ShowTargetMessage(text2d::kNoFramebuffers);
}

int LargestSide()
{
    GLint texture = 0, renderbuffer = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    int side = texture < renderbuffer ? texture : renderbuffer;
    return side < kMaxTargetSide ? side : kMaxTargetSide;
}

bool HasAnisotropy()
{
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return list && std::strstr(list, "GL_EXT_texture_filter_anisotropic");
}
}  // namespace

const GLenum RenderTarget::kSourceTable[kSourceFactors] = {
    GL_ZERO,      GL_ONE,           GL_DST_COLOR,           GL_ONE_MINUS_DST_COLOR, GL_SRC_ALPHA,
    GL_ONE_MINUS_SRC_ALPHA, GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA, GL_SRC_ALPHA_SATURATE};
const GLenum RenderTarget::kDestinationTable[kDestinationFactors] = {
    GL_ZERO,      GL_ONE,           GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR,
    GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA};

RenderTarget::~RenderTarget() { Release(); }

namespace {
long surfacesCreated = 0;
}

long RenderTarget::SurfacesCreated() { return surfacesCreated; }

bool RenderTarget::Initialise(int layerIndex, int surfaceWidth, int surfaceHeight, int screenWidth, int screenHeight,
                              int captureTextures)
{
    Release();
    index = layerIndex;
    width = surfaceWidth;
    height = surfaceHeight;
    textureCount = captureTextures < 1 ? 1 : (captureTextures > kMaxTextures ? kMaxTextures : captureTextures);

    // The defaults hold even for a target that could not be created.
    strength = 0.6f;
    blur = 0.03f;
    radial = post::RadialBlur{};
    radialOn = false;
    drawSource = 4;
    drawDestination = 1;
    darkSource = 4;
    darkDestination = 4;
    SetScreenRect(0, 0, screenWidth, screenHeight);

    api_ = gl2d::Framebuffers();
    if (!api_) {
        ReportNoFramebuffers();
        return false;
    }
    const int largest = LargestSide();
    if (width < 1 || height < 1 || width > largest || height > largest) {
        char message[256];
        std::snprintf(message, sizeof message, text2d::kBadTargetSize, index, width, height, largest);
        ShowTargetMessage(message);
        return false;
    }
    ++surfacesCreated;
    if (!CreateSurface()) {
        char message[256];
        std::snprintf(message, sizeof message, text2d::kTargetIncomplete, index, width, height);
        ShowTargetMessage(message);
        ready = true;  // so that Release frees what was made
        Release();
        return false;
    }
    CreateTextures();
    ready = true;
    Clear();
    return true;
}

bool RenderTarget::CreateSurface()
{
    GLint previousFramebuffer = 0, previousRenderbuffer = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previousFramebuffer);
    glGetIntegerv(GL_RENDERBUFFER_BINDING, &previousRenderbuffer);

    api_->genRenderbuffers(1, &colourBuffer_);
    api_->bindRenderbuffer(GL_RENDERBUFFER, colourBuffer_);
    api_->renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    api_->genRenderbuffers(1, &depthBuffer_);
    api_->bindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
    api_->renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
    api_->genFramebuffers(1, &framebuffer_);
    api_->bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    api_->framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer_);
    api_->framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
    const GLenum status = api_->checkFramebufferStatus(GL_FRAMEBUFFER);

    api_->bindFramebuffer(GL_FRAMEBUFFER, GLuint(previousFramebuffer));
    api_->bindRenderbuffer(GL_RENDERBUFFER, GLuint(previousRenderbuffer));
    return status == GL_FRAMEBUFFER_COMPLETE;
}

void RenderTarget::CreateTextures()
{
    GLint previousTexture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousTexture);
    glGenTextures(textureCount, textures);
    glBindTexture(GL_TEXTURE_2D, textures[0]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    // RGBA from the start, so that each capture is a copy into existing storage. The
    // contents are defined by the first Clear.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    if (HasAnisotropy()) {
        GLfloat largest = 1.0f;
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &largest);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, largest);
    }
    glBindTexture(GL_TEXTURE_2D, GLuint(previousTexture));
}

void RenderTarget::SetBlend(int blenda, int blendb, int blendc, int blendd)
{
    // The last entry of each table is never selected.
    drawSource = int(uint32_t(blenda) % 8u);
    drawDestination = int(uint32_t(blendb) % 7u);
    darkSource = int(uint32_t(blendc) % 8u);
    darkDestination = int(uint32_t(blendd) % 7u);
}

void RenderTarget::SetAlphas(float blurAlpha, float strengthAlpha)
{
    blur = blurAlpha;
    strength = strengthAlpha;
}

void RenderTarget::SetScreenRect(int x, int y, int w, int h)
{
    screenX = x;
    screenY = y;
    screenW = w;
    screenH = h;
}

void RenderTarget::SetRadial(float alphaHigh, float alphaLow, int passes)
{
    radial.passes = passes;
    radial.insetStep = kRadialInsetStep;
    radial.alphaStep = passes > 0 ? (alphaHigh - alphaLow) / float(passes) : 0.0f;
}

void RenderTarget::BeginCapture()
{
    if (!active || !ready || capturing_) return;
    saved_.Save();
    api_->bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glViewport(0, 0, width, height);
    glDisable(GL_SCISSOR_TEST);
    glDepthMask(GL_TRUE);
    glClear(GL_DEPTH_BUFFER_BIT);
    capturing_ = true;
}

void RenderTarget::Capture()
{
    if (!capturing_) return;
    if (radialOn) post::DrawRadialBlur(SurfaceArea(), textures[0], radial);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textures[0]);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
}

void RenderTarget::EndCapture()
{
    if (!capturing_) return;
    // Over the whole surface: the next frame starts from this darkened image.
    post::DrawDarkeningQuad(SurfaceArea(), kSourceTable[darkSource], kDestinationTable[darkDestination], blur);
    saved_.Restore(*api_);
    capturing_ = false;
}

void RenderTarget::DrawToScreen()
{
    if (!active || !ready) return;
    const GLenum darkFrom = kSourceTable[darkSource], darkTo = kDestinationTable[darkDestination];
    post::DrawDarkeningQuad(ScreenArea(), darkFrom, darkTo, blur);
    post::DrawTextureOver(ScreenArea(), textures[0], kSourceTable[drawSource], kDestinationTable[drawDestination],
                          strength);
}

void RenderTarget::Clear()
{
    if (!ready || capturing_) return;
    saved_.Save();
    api_->bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glViewport(0, 0, width, height);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBindTexture(GL_TEXTURE_2D, textures[0]);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
    saved_.Restore(*api_);
}

void RenderTarget::Release()
{
    if (capturing_) EndCapture();
    if (ready) {
        if (textures[0]) glDeleteTextures(textureCount, textures);
        if (framebuffer_) api_->deleteFramebuffers(1, &framebuffer_);
        if (colourBuffer_) api_->deleteRenderbuffers(1, &colourBuffer_);
        if (depthBuffer_) api_->deleteRenderbuffers(1, &depthBuffer_);
    }
    for (GLuint& texture : textures) texture = 0;
    framebuffer_ = colourBuffer_ = depthBuffer_ = 0;
    ready = false;
    active = false;
}
