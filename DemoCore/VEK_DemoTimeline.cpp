// The interactive timeline: when the project sets `interactive`, keys held down perform
// the show live. Rows are checked in table order on every loop pass, so an action repeats
// while its key is held and several rows can act in one pass.
#include "VEK_DemoEngine.h"

#include "VEK_Text.h"
#include "vekEngineFW.h"
#include "vekPlatform.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kShift = 16;
constexpr int kControl = 17;
constexpr int kHome = 0x24;
constexpr int kF9 = 0x78;
constexpr int kF11 = 0x7A;
constexpr int kF12 = 0x7B;

// What a row asks of a modifier key.
enum class Need : unsigned char { any, down, up };

struct Modifiers {
    bool shift;
    bool control;
};

bool Meets(Need need, bool down) { return need == Need::any || (need == Need::down) == down; }

using Action = void (*)(DemoEngine& demo, int number, const char* text);

struct Row {
    int key;
    Need shift;
    Need control;
    Action action;
    int number = 0;
    const char* text = nullptr;
};

// ---- actions -------------------------------------------------------------------------

void RestartMusic(DemoEngine& demo, int, const char*)
{
    demo.sound.Close();
    plat::Sleep(1000);
    demo.StartMusic(0);
    demo.LoadEffects(DemoEngine::kProjectFile);
}

void FrameSpeed(DemoEngine&, int frames, const char*) { vekSetFrameSpeed("pepe", frames); }
void FrameHoop(DemoEngine&, int frames, const char*) { vekSetFrameHoop("pepe", frames); }

void ToggleLayerSlot(DemoEngine& demo, int slot, const char*)
{
    demo.layers[slot].ToggleLayer();
    demo.layers[slot].Start();
    demo.selectedLayer = static_cast<unsigned char>(slot);
}

void LayersMode(DemoEngine& demo, int on, const char*) { demo.layersMode = on != 0; }
void Glow(DemoEngine& demo, int on, const char*) { demo.glowOn = on != 0; }
void FlipGlow(DemoEngine& demo, int, const char*) { demo.glowOn = !demo.glowOn; }
void RadialSwitch(DemoEngine& demo, int on, const char*) { demo.radialSwitch = on != 0; }
void FlipRadialSwitch(DemoEngine& demo, int, const char*) { demo.radialSwitch = !demo.radialSwitch; }

// number: the new update rate, 0 to keep it.
void EnableScene(DemoEngine& demo, int rate, const char* scene)
{
    if (rate > 0) demo.updateRate = rate;
    vekEnableScene(scene);
}

// The same, and in layers mode the selected layer shows the scene from now on.
void EnableSceneInLayer(DemoEngine& demo, int rate, const char* scene)
{
    if (demo.layersMode) demo.layers[demo.selectedLayer].SetSceneName(scene);
    EnableScene(demo, rate, scene);
}

void StartSkin(DemoEngine& demo, int slot, const char*)
{
    demo.skinEnabled[slot] = 1;
    demo.skins[slot].Start();
}

void ToggleSkin(DemoEngine& demo, int slot, const char*)
{
    if (demo.skinEnabled[slot]) {
        demo.skinEnabled[slot] = 0;
        demo.skins[slot].Reset();
    } else {
        demo.skinEnabled[slot] = 1;
        demo.skins[slot].Start();
    }
}

void StartFlash(DemoEngine& demo, int slot, const char*)
{
    demo.flashEnabled[slot] = 1;
    demo.flashes[slot].Start();
}

// number 1: also names the camera in the selected layer while in layers mode.
void ActiveCamera(DemoEngine& demo, int intoLayer, const char* camera)
{
    if (intoLayer && demo.layersMode) demo.layers[demo.selectedLayer].SetCameraName(camera);
    vekSetActiveCamera(camera);
}

void CameraHit(DemoEngine&, int, const char*) { vekEnableCameraHit(); }
void AnimRegion(DemoEngine&, int, const char* region) { vekEnableAnimRegion(region); }

// number: thousandths added to the layer blur (or strength, with text "strength").
void NudgeLayerAlpha(DemoEngine& demo, int thousandths, const char* which)
{
    float& value = which[0] == 's' ? demo.layerStrength : demo.layerBlur;
    // Counted in whole thousandths, so 1,000 steps from 0 land on 1.0 exactly instead of
    // collecting the rounding error of each float addition.
    const double steps = std::round(double(value) * 1000.0) + thousandths;
    value = std::clamp(float(steps / 1000.0), 0.0f, 1.0f);
    demo.layers[demo.selectedLayer].Target().SetAlphas(demo.layerBlur, demo.layerStrength);
}

// Radial presets: number is the preset; the first one also applies the switch.
struct RadialPreset {
    float alphaHigh, alphaLow;
    int passes;
};
constexpr RadialPreset kRadialPresets[] = {
    {0.6f, 0.1f, 4}, {0.2f, 0.02f, 6}, {0.8f, 0.01f, 9}, {0.8f, 0.09f, 8}, {0.2f, 0.04f, 8}, {0.1f, 0.09f, 4},
};

void RadialPresetAction(DemoEngine& demo, int preset, const char*)
{
    RenderTarget& target = demo.layers[demo.selectedLayer].Target();
    const RadialPreset& values = kRadialPresets[preset];
    target.SetRadial(values.alphaHigh, values.alphaLow, values.passes);
    target.SetRadialOn(false);
    demo.radialSwitch = !demo.radialSwitch;
    if (preset == 0) target.SetRadialOn(demo.radialSwitch);
}

void FlipEmitter(DemoEngine& demo, int, const char*)
{
    demo.emitterSwitch = !demo.emitterSwitch;
    vekEnableEmitter("Box01", demo.emitterSwitch);
}

void Reload(DemoEngine& demo, int, const char*) { demo.ReloadShow(); }

constexpr Need A = Need::any;
constexpr Need D = Need::down;
constexpr Need U = Need::up;

// Key, Shift, Ctrl, action, number, text.
const Row kRows[] = {
    {kHome, U, A, RestartMusic},
    {'H', U, D, FrameSpeed, 4},
    {'J', U, D, FrameSpeed, 1},
    {'K', U, D, FrameHoop, 5},
    {'L', U, D, FrameHoop, 10},
    {'K', U, U, ToggleLayerSlot, 0},
    {'M', U, U, ToggleLayerSlot, 1},
    {'N', U, U, ToggleLayerSlot, 2},
    {'J', U, U, ToggleLayerSlot, 3},
    {'L', U, U, LayersMode, 1},
    {'L', D, U, LayersMode, 0},
    {kF11, D, A, Glow, 1},
    {kF12, D, A, Glow, 0},
    {'P', U, U, RadialSwitch, 0},
    {'P', D, U, RadialSwitch, 1},
    {'1', U, A, EnableSceneInLayer, 25, "arbol"},
    {'2', U, A, EnableSceneInLayer, 35, "TEST002"},
    {'3', U, A, EnableSceneInLayer, 35, "TEST003"},
    {'4', U, A, EnableScene, 35, "TEST004"},
    {'5', U, A, EnableScene, 35, "TEST005"},
    {'6', U, A, EnableScene, 35, "TEST006"},
    {'7', U, A, EnableScene, 35, "TEST007"},
    {'1', D, A, EnableScene, 0, "TEST008"},
    {'2', D, A, EnableScene, 0, "TEST009"},
    {'3', D, A, EnableScene, 30, "TEST010"},
    {'4', D, A, EnableScene, 30, "TEST011"},
    {'5', D, A, EnableScene, 30, "TEST012"},
    {'6', D, A, EnableScene, 30, "TEST013"},
    {'7', D, A, EnableScene, 35, "TEST008"},
    {'8', D, A, EnableScene, 35, "TEST009"},
    {'Z', U, A, StartSkin, 0},
    {'X', U, A, StartSkin, 6},
    {'C', U, A, StartSkin, 7},
    {'V', U, A, StartSkin, 8},
    {'B', U, A, StartSkin, 9},
    {'Z', D, A, ToggleSkin, 12},
    {'X', D, A, ToggleSkin, 13},
    {'C', D, A, StartSkin, 14},
    {'V', D, A, StartSkin, 15},
    {'B', D, A, StartSkin, 16},
    {'N', D, A, FlipGlow},
    {'Q', U, A, ActiveCamera, 1, "Camera01"},
    {'Q', D, U, CameraHit},
    {'W', U, U, ActiveCamera, 1, "Camera02"},
    {'E', U, U, ActiveCamera, 1, "Camera03"},
    {'R', U, U, ActiveCamera, 1, "Camera04"},
    {'T', U, U, ActiveCamera, 1, "Camera05"},
    {'Y', U, U, ActiveCamera, 1, "Camera06"},
    {'U', U, U, ActiveCamera, 0, "Camera07"},
    {'I', U, U, ActiveCamera, 0, "Camera08"},
    {'W', D, A, AnimRegion, 0, "region1"},
    {'E', D, A, AnimRegion, 0, "region2"},
    {'R', D, A, AnimRegion, 0, "region3"},
    {'W', U, D, AnimRegion, 0, "region4"},
    {'E', A, D, AnimRegion, 0, "region5"},
    {'R', A, D, AnimRegion, 0, "region6"},
    {'T', D, U, NudgeLayerAlpha, -1, "blur"},
    {'Y', D, U, NudgeLayerAlpha, +1, "blur"},
    {'U', D, U, NudgeLayerAlpha, -1, "strength"},
    {'I', D, U, NudgeLayerAlpha, +1, "strength"},
    {'O', D, U, RadialPresetAction, 0},
    {'P', U, D, RadialPresetAction, 1},
    {'O', U, D, RadialPresetAction, 2},
    {'I', U, D, RadialPresetAction, 3},
    {'U', U, D, RadialPresetAction, 4},
    {'Y', U, D, RadialPresetAction, 5},
    {'T', U, D, FlipRadialSwitch},
    {'0', D, A, RadialSwitch, 1},
    {'O', U, U, FlipEmitter},
    {'F', U, A, StartFlash, 0},
    {'G', U, A, StartFlash, 1},
    {'H', U, U, StartFlash, 2},
    {'J', U, U, StartFlash, 3},
    {kF9, U, A, Reload},
};
}  // namespace

void DemoEngine::RunTimeline(const unsigned char* keys)
{
    if (!interactive) return;
    const Modifiers held{keys[kShift] != 0, keys[kControl] != 0};
    for (const Row& row : kRows) {
        if (!keys[row.key] || !Meets(row.shift, held.shift) || !Meets(row.control, held.control)) continue;
        row.action(*this, row.number, row.text);
    }
}
