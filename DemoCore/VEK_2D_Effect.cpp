#include "VEK_2D_Effect.h"

#include "VEK_2D_Flash.h"
#include "VEK_Text.h"
#include "vekPlatform.h"

#include <cstring>

namespace {
// When the hold last stepped, for all objects together: while one object steps, the
// others wait for the next second.
uint32_t holdLastTick = 0;
}  // namespace

Object2D::~Object2D() { ReleaseImages(); }

void Object2D::SetUpFader(float areaWidth, float areaHeight)
{
    width = areaWidth;
    height = areaHeight;
    active = false;
    phase = 0;
    finished = true;
    ReleaseImages();
}

void Object2D::SetColour(float r, float g, float b)
{
    red = r;
    green = g;
    blue = b;
    active = false;
    finished = true;
    phase = 0;
    alpha = 0.0f;
    fadeInSpeed = fadeOutSpeed = kDefaultFadeSpeed;
}

void Object2D::SetBlendMode(int mode) { blendFunc = (mode < 0 || mode > 255) ? 255 : static_cast<unsigned char>(mode); }

void Object2D::SetName(const char* text) { CopyText(name, text); }

void Object2D::SetArea(float areaX, float areaY, float areaWidth, float areaHeight)
{
    x = areaX;
    y = areaY;
    width = areaWidth;
    height = areaHeight;
    updateEnabled = true;
}

bool Object2D::LoadSkin(const char* path, bool withMask)
{
    ReleaseImages();
    return k2d::LoadSkin(path, withMask, smooth, skin);
}

void Object2D::ReleaseImages()
{
    if (skin.textures[0] || skin.textures[1]) glDeleteTextures(2, skin.textures);
    skin = k2d::SkinTextures{};
}

void Object2D::Start()
{
    if (active) return;
    hold = true;
    finished = false;
    alpha = 0.0f;
    active = true;
}

void Object2D::Reset()
{
    alpha = 0.0f;
    finished = false;
    phase = 0;
    active = false;
}

void Object2D::ResetHoldClock(uint32_t tick) { holdLastTick = tick; }

void Object2D::StepHold()
{
    // Unsigned difference: right across the wrap of the millisecond clock.
    const uint32_t now = plat::TickCount();
    if (now - holdLastTick >= kHoldStepMs) {
        holdLastTick = now;
        holdTime -= kHoldStep;
    }
    if (holdTime < 0.0f) hold = false;
}

void Object2D::Update()
{
    if (!updateEnabled || finished) return;
    if (phase == 1) {
        if (hold) StepHold();
        else alpha -= fadeOutSpeed;
    }
    if (phase == 0 && alpha < maxAlpha) alpha += fadeInSpeed;
    if (alpha >= maxAlpha) phase = 1;
    if (alpha <= 0.0f) {
        alpha = 0.0f;
        finished = true;
        phase = 0;
        active = false;
    }
}

void Object2D::Draw()
{
    if (!active) return;
    if (isLayer) {
        if (TakesPart()) target.DrawToScreen();
        return;
    }
    DrawFader(*this);
}

bool Object2D::SetUpLayer(int index, int xres, int yres, int screenWidth, int screenHeight, int blenda, int blendb,
                          int blendc, int blendd, float blurAlpha, float strengthAlpha)
{
    isLayer = true;
    layerEnabled = false;
    const bool made = target.Initialise(index, xres, yres, screenWidth, screenHeight, 1);
    target.SetBlend(blenda, blendb, blendc, blendd);
    target.SetAlphas(blurAlpha, strengthAlpha);
    target.SetActive(false);
    return made;
}

void Object2D::SetSceneName(const char* text) { CopyText(sceneName, text); }

void Object2D::SetCameraName(const char* text) { CopyText(cameraName, text); }

void Object2D::ToggleLayer()
{
    layerEnabled = !layerEnabled;
    target.SetActive(layerEnabled);
}

bool Object2D::TakesPart() const
{
    return isLayer && target.IsReady() && target.active && sceneName[0] != '\0' && cameraName[0] != '\0';
}

bool Object2D::Begin()
{
    if (!TakesPart()) return false;
    target.BeginCapture();
    return target.IsCapturing();
}

void Object2D::End()
{
    target.Capture();
    target.EndCapture();
}

int FindObject2D(const Object2D* slots, int first, int last, const char* text)
{
    if (!text || !*text) return -1;   // no name matches nothing, not the first unnamed slot
    for (int slot = first; slot <= last; ++slot)
        if (std::strcmp(slots[slot].name, text) == 0) return slot;
    return -1;
}
