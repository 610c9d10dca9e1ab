// Object2D: one object of the 2D layer engine. Configured by the engine2D reader as a
// flash (a full-area colour quad), a skin (a full-area image, optionally with a mask)
// or a render-target layer (a 3D scene rendered off screen and laid over the screen).
//
// Flashes and skins run a fader cycle: Start makes them active at alpha 0; each update
// tick adds the fade-in speed until alpha reaches maxAlpha, the hold then runs down
// holdTime by 0.9 per wall-clock second, and the fade-out speed brings alpha back to 0,
// where the object finishes and turns inactive.
#pragma once

#include "VEK_K2DTextures.h"
#include "VEK_RenderTarget.h"

#include <cstdint>

class Object2D {
public:
    static constexpr int kNameSize = 12;             // 11 characters and the terminator
    static constexpr float kDefaultFadeSpeed = 0.14f;
    static constexpr float kHoldStep = 0.9f;         // holdTime units removed per step
    static constexpr uint32_t kHoldStepMs = 1000;    // shortest time between two steps

    Object2D() = default;
    virtual ~Object2D();
    Object2D(const Object2D&) = delete;
    Object2D& operator=(const Object2D&) = delete;

    // ---- flash and skin set-up ----------------------------------------------------------
    // Extent of the quad and of its orthographic projection; inactive, phase 0, finished,
    // and without images (any loaded ones are released).
    void SetUpFader(float areaWidth, float areaHeight);
    // Also inactive and finished at phase 0 with alpha 0, both fade speeds 0.14.
    void SetColour(float r, float g, float b);
    void SetFadeInSpeed(float speed) { fadeInSpeed = speed; }
    void SetFadeOutSpeed(float speed) { fadeOutSpeed = speed; }
    // Modes 0 to 5 select a blend function; others (stored as 255 when outside a byte)
    // leave the blend function as the previous drawing set it.
    void SetBlendMode(int mode);
    void SetMaxAlpha(float value) { maxAlpha = value; }
    void SetName(const char* text);   // cut to 11 characters
    void SetHoldTime(float seconds) { holdTime = seconds; }
    void SetArea(float areaX, float areaY, float areaWidth, float areaHeight);
    // Loads a skin file (K2D, single image): base only, or base and mask. Needs a GL context.
    bool LoadSkin(const char* path, bool withMask);
    void ReleaseImages();

    // ---- fader cycle --------------------------------------------------------------------
    void Start();   // does nothing while active
    void Reset();   // alpha 0, phase 0, not finished, inactive
    void Update();  // once per update tick
    void Draw();    // once per frame; only when active
    // The hold's last step time, shared by every object. Tests start it where they need.
    static void ResetHoldClock(uint32_t tick = 0);

    // ---- render-target layers -----------------------------------------------------------
    // Marks the object as a layer and (re)creates its render target with one texture,
    // cleared and inactive. False when the target could not be made (the layer then never
    // takes part).
    bool SetUpLayer(int index, int xres, int yres, int screenWidth, int screenHeight, int blenda, int blendb,
                    int blendc, int blendd, float blurAlpha, float strengthAlpha);
    void SetSceneName(const char* text);
    void SetCameraName(const char* text);
    const char* SceneName() const { return sceneName; }
    const char* CameraName() const { return cameraName; }
    void ToggleLayer();                 // flips layerEnabled and the target's active flag with it
    void SwitchCapture(bool on) { target.SetActive(on); }
    // A layer takes part when its target is ready and active and it names a scene and a camera.
    bool TakesPart() const;
    // Binds the layer's surface when it takes part; true when the scene is to be drawn now.
    bool Begin();
    void End();                         // capture, darken, back to the main frame
    int TargetWidth() const { return target.Width(); }
    int TargetHeight() const { return target.Height(); }
    RenderTarget& Target() { return target; }

    // ---- state --------------------------------------------------------------------------
    float maxAlpha = 1.0f;
    unsigned char blendFunc = 0;
    char name[kNameSize] = {};
    bool isLayer = false;
    bool layerEnabled = false;
    char sceneName[kNameSize] = {};
    char cameraName[kNameSize] = {};
    bool hold = false;
    float holdTime = 0.0f;          // counter units; events write it before a start
    bool smooth = true;             // linear filtering of an unmasked skin
    k2d::SkinTextures skin;         // textures, pixels kept until destruction, hasBase, hasMask
    bool active = false;
    float fadeOutSpeed = 0.0f;
    float fadeInSpeed = 0.0f;
    unsigned char phase = 0;        // 0 fading in, 1 holding or fading out
    bool finished = false;
    float red = 0.0f, green = 0.0f, blue = 0.0f, alpha = 0.0f;
    float height = 600.0f, width = 800.0f;
    float y = 0.0f, x = 0.0f;       // stored; the quad is always drawn from (0, 0)
    bool updateEnabled = true;
    RenderTarget target;            // the layer's surface
    RenderTarget smallTarget;       // a second surface; no pass uses it, so it is never created

private:
    void StepHold();
};

// Index of the first object in slots[first .. last] whose name is exactly text; -1 if none.
int FindObject2D(const Object2D* slots, int first, int last, const char* text);
