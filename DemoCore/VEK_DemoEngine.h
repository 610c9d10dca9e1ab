// DemoEngine: reads the player's part of the project script, owns the music, the event
// list and the 2D objects, drives the 3D engine and composes every frame.
#pragma once

#include "VEK_2D_Effect.h"
#include "VEK_2D_Script.h"
#include "VEK_Events.h"
#include "VEK_SoundSys.h"

#include <string>

class TiXmlElement;

// Project settings (engineDEMO), as a script without them leaves them. Text fields include
// their terminating zero.
struct ProjectSettings {
    bool musicEnabled = false;
    char musicFile[39] = {};
    bool actionsLoad = false;   // FX entries are loaded...
    bool actionsFire = false;   // ...and fired; both follow loadactions
    bool interactive = false;
    char projectName[48] = {};
    float startTime = 0.0f;
    float bandOrigin = 0.0f;
    float bandHeight = 0.0f;
};

class DemoEngine : public ProjectSettings {
public:
    // The project script the player reads, in the show's folder, and the log of what it
    // could not read in it.
    static constexpr const char* kProjectFile = "demotest.xml";
    static constexpr const char* kProjectLog = "demosys_XMLScriptError.LOG";

    DemoEngine() = default;
    virtual ~DemoEngine() = default;
    DemoEngine(const DemoEngine&) = delete;
    DemoEngine& operator=(const DemoEngine&) = delete;

    // Reads the project settings; what the script does not set (or a script that cannot
    // be read) is left at its default, whatever an earlier script set.
    void LoadProject(const char* path);
    const char* ProjectName() const { return projectName; }
    void Initialise(float width, float height, int colourBits);
    void SetLoop(bool loop);
    void StartMusic(unsigned fileOffset);
    void LoadEffects(const char* path);
    void RenderFrame();
    // What RenderFrame does to the 3D scenes (their updates), without drawing anything:
    // a frame of show time that is run but not shown.
    void AdvanceScenes();
    void UpdateFrame();
    void RunTimeline(const unsigned char* keys);
    void StepEffects();
    bool CheckMusic();
    void Shutdown();

    // Run-time state.
    int updateRate = 0;              // update ticks per second
    unsigned char flashEnabled[10] = {};
    unsigned char skinEnabled[33] = {};
    int layerCount = 0;
    bool layersMode = false;
    bool glowOn = false;
    unsigned char selectedLayer = 0;
    char currentScene[16] = {};
    char currentCamera[16] = {};
    bool emitterSwitch = false;
    bool radialSwitch = false;
    float layerBlur = 0.0f;
    float layerStrength = 0.0f;
    int showRestarts = 0;            // times "Show Loop" started the show over

    // 2D objects. Events find them by name (FindObject2D) and start them; slots 0 to 9
    // of the flashes and 0 to 30 of the skins are updated, each when its enable byte is set.
    static constexpr int kDrawnFlashes = 10;
    static constexpr int kUpdatedSkins = 31;
    static constexpr int kGlowLayer = script2d::kGlowLayer;
    Object2D flashes[script2d::kFlashSlots];
    Object2D skins[script2d::kSkinSlots];
    Object2D layers[script2d::kLayerSlots];   // slot 16 is the glow layer
    Object2D& GlowLayer() { return layers[kGlowLayer]; }
    script2d::Slots Slots2D() { return {flashes, skins, layers}; }
    // Runs the engine2D reader on path; keeps the layer count when the file cannot be read.
    void Read2DObjects(const char* path);

    // The music (the show's clock) and the timed events.
    SoundSystem sound;
    EventList events;
    // Moves the music and the event list to the start time (clamped by the music).
    void SeekToStart();
    // F9: reads the 2D objects and the 3D scenes again and restarts the music and events.
    void ReloadShow();
    // Takes the show's state back to where a run stands when its music starts: every 2D
    // object off, the frame composition, switches and names as Initialise leaves them,
    // every event re-armed and every emitter the events name running again. The music,
    // the 3D animation and the update rate are left as they are.
    void RewindShow();
    // Reads the script again after it changed on disk: the 2D objects, the 3D scenes (with
    // restartEngine the engine starts anew, so changed scene files are converted and
    // loaded again) and the events, leaving the music alone. A script that does not parse
    // changes nothing: the reason goes to the player's script-error log and into `error`.
    bool ReloadScript(bool restartEngine, std::string& error);
    // Starts the 3D engine anew on the script's scenes, as at start-up: every animation,
    // camera and emitter back at its first frame.
    void RestartScenes();

private:
    void ApplyProjectAttributes(const TiXmlElement& section);
    void SetUp2DAreas();
    void SetUpGlowLayer();
    void Release2DObjects();
    void RunPass2D(int fromSkin, int toSkin);
    void SwitchLayersOff();
    void CaptureLayers();
    void DrawLayers();
    void CaptureGlow();
    void DrawGlow();
    void SelectLayerScene(Object2D& layer);
    void RenderLayerScene(Object2D& layer);
    // Applying the event fired last; false when its target was not found.
    bool Apply3DEvent();
    bool Apply2DEvent();
    bool StartFaderEvent(Object2D* slots, int last, unsigned char* enabled, bool skinRule);
};
