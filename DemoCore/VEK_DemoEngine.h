// DemoEngine: reads the player's part of the project script, owns the music, the event
// list and the 2D objects, drives the 3D engine and composes every frame.
#pragma once

class TiXmlElement;

class DemoEngine {
public:
    DemoEngine() = default;
    virtual ~DemoEngine() = default;
    DemoEngine(const DemoEngine&) = delete;
    DemoEngine& operator=(const DemoEngine&) = delete;

    void LoadProject(const char* path);
    const char* ProjectName() const { return projectName; }
    void Initialise(float width, float height, int colourBits);
    void SetLoop(bool loop);
    void StartMusic(unsigned fileOffset);
    void LoadEffects(const char* path);
    void RenderFrame();
    void UpdateFrame();
    void RunTimeline(const unsigned char* keys);
    void StepEffects();
    bool CheckMusic();
    void Shutdown();

    // Project settings (engineDEMO). Text fields include their terminating zero.
    bool musicEnabled = false;
    char musicFile[39] = {};
    bool actionsLoad = false;   // FX entries are loaded...
    bool actionsFire = false;   // ...and fired; both follow loadactions
    bool interactive = false;
    char projectName[48] = {};
    float startTime = 0.0f;
    float bandOrigin = 0.0f;
    float bandHeight = 0.0f;

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
    bool loopSwitch = false;         // "Show Loop": the music end restarts the demo

private:
    void ApplyProjectAttributes(const TiXmlElement& section);
    void RunPass2D(int fromSkin, int toSkin);
    void CaptureLayers();
    void DrawLayers();
    void CaptureGlow();
    void DrawGlow();
};
