#include "VEK_DemoEngine.h"

#include "VEK_ScriptDocument.h"
#include "VEK_ScriptLog.h"
#include "VEK_Text.h"
#include "vekEngineFW.h"

#include <GL/gl.h>
#include <tinyxml.h>

#include <cstdio>
#include <cstdlib>

namespace {
constexpr float kViewAspect = 1.3f;

// Full-width band of the 3D view and the 2D areas when the project gives v and h.
constexpr float kBandOrigin = 100.0f;
constexpr float kBandHeight = 400.0f;

constexpr float kScreenWidth = script2d::kScreenWidth;
constexpr int kAreaSlots = 10;   // flash and skin slots that take the band as their area

// The glow layer: a 32 x 32 image of the 3D view, stretched back over it as a soft halo.
constexpr int kGlowSide = 32;
constexpr int kGlowBlend[4] = {5, 1, 4, 4};   // shown with (1 - src alpha, 1), darkened with (src alpha, src alpha)
constexpr float kGlowBlur = 0.14f;
constexpr float kGlowStrength = 1.0f;

const TiXmlElement* FindProjectSection(const TiXmlDocument& document)
{
    const TiXmlElement* root = document.FirstChildElement("demoproject");
    return root ? root->FirstChildElement("engineDEMO") : nullptr;
}
}  // namespace

void DemoEngine::LoadProject(const char* path)
{
    static_cast<ProjectSettings&>(*this) = ProjectSettings{};
    TiXmlDocument document(path);
    if (const char* error = LoadScriptDocument(document, path)) {
        WriteScriptErrorLog(kProjectLog, error);
        return;
    }
    const TiXmlElement* section = FindProjectSection(document);
    if (!section) {
        std::fprintf(stderr, "%s: no demoproject/engineDEMO section; the player uses its defaults.\n", path);
        return;
    }
    ApplyProjectAttributes(*section);
}

void DemoEngine::ApplyProjectAttributes(const TiXmlElement& section)
{
    CopyText(projectName, section.Attribute("name"));

    // Only the presence of both counts; their values are not used.
    const bool band = section.Attribute("v") && section.Attribute("h");
    bandOrigin = band ? kBandOrigin : 0.0f;
    bandHeight = band ? kBandHeight : 0.0f;

    if (const char* value = section.Attribute("starttime")) startTime = static_cast<float>(std::atof(value));
    if (const char* value = section.Attribute("mp3")) musicEnabled = std::atoi(value) == 1;
    if (const char* value = section.Attribute("mp3name"); value && *value) CopyText(musicFile, value);
    if (const char* value = section.Attribute("loadactions")) actionsLoad = actionsFire = std::atoi(value) == 1;
    if (const char* value = section.Attribute("interactive")) interactive = std::atoi(value) == 1;
}

void DemoEngine::Initialise(float /*width*/, float /*height*/, int /*colourBits*/)
{
    updateRate = 120;
    for (auto& enabled : flashEnabled) enabled = 0;
    for (auto& enabled : skinEnabled) enabled = 0;
    layerCount = 0;
    radialSwitch = false;
    layersMode = false;
    glowOn = false;
    selectedLayer = 2;
    emitterSwitch = true;

    vekInitFrameWork();
    vekParseXMLScript(kProjectFile);
    Read2DObjects(kProjectFile);
    vekPreCacheAll();
    SetUpGlowLayer();

    updateRate = 30;
    events.Reset();
}

void DemoEngine::Read2DObjects(const char* path)
{
    const int count = script2d::Read2DScript(path, Slots2D());
    if (count >= 0) layerCount = count;
    SetUp2DAreas();   // the reader sets every fader up full screen; the band is the project's
}

void DemoEngine::SetUp2DAreas()
{
    for (int slot = 0; slot < kAreaSlots; ++slot) {
        flashes[slot].SetArea(0.0f, bandOrigin, kScreenWidth, bandHeight);
        skins[slot].SetArea(0.0f, bandOrigin, kScreenWidth, bandHeight);
    }
    for (int slot = 0; slot < script2d::kScriptLayerSlots; ++slot)
        layers[slot].Target().SetScreenRect(0, int(bandOrigin), int(kScreenWidth), int(bandHeight));
}

void DemoEngine::SetUpGlowLayer()
{
    Object2D& glow = GlowLayer();
    glow.SetName("glow");
    glow.SetUpLayer(kGlowLayer, kGlowSide, kGlowSide, int(kScreenWidth), int(script2d::kScreenHeight), kGlowBlend[0],
                    kGlowBlend[1], kGlowBlend[2], kGlowBlend[3], kGlowBlur, kGlowStrength);
    glow.Target().SetScreenRect(0, int(bandOrigin), int(kScreenWidth), int(bandHeight));
    glow.Target().Clear();
}

void DemoEngine::Release2DObjects()
{
    for (Object2D& flash : flashes) flash.ReleaseImages();
    for (Object2D& skin : skins) skin.ReleaseImages();
    for (Object2D& layer : layers) layer.Target().Release();
}

void DemoEngine::SetLoop(bool loop) { sound.loop = loop; }

void DemoEngine::RenderFrame()
{
    if (layersMode) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        CaptureLayers();
    } else {
        SwitchLayersOff();
        CaptureGlow();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        RunPass2D(1, 16);
        vekDefineViewRect(0.0f, bandOrigin, 800.0f, bandHeight, kViewAspect);
        vekRender();
        vekUpdate();
    }
    if (layersMode) {
        DrawLayers();
        RunPass2D(0, 32);
    } else {
        DrawGlow();
        RunPass2D(17, 32);
    }
}

void DemoEngine::AdvanceScenes()
{
    if (layersMode) {
        for (int slot = 0; slot < layerCount; ++slot) {
            if (!layers[slot].TakesPart()) continue;
            SelectLayerScene(layers[slot]);
            vekUpdate();
        }
        return;
    }
    if (glowOn && GlowLayer().TakesPart()) {
        SelectLayerScene(GlowLayer());
        vekUpdate();
    }
    vekUpdate();
}

void DemoEngine::StepEffects()
{
    for (int slot = 0; slot < kDrawnFlashes; ++slot)
        if (flashEnabled[slot]) flashes[slot].Update();
    for (int slot = 0; slot < kUpdatedSkins; ++slot)
        if (skinEnabled[slot]) skins[slot].Update();
}

void DemoEngine::Shutdown()
{
    sound.Close();   // the music, or the clock that stands in for it
    vekKill();
    Release2DObjects();  // while the GL context is still there
}

// Flash slots 0 to 9, then skin slots fromSkin .. toSkin - 1, each when enabled.
void DemoEngine::RunPass2D(int fromSkin, int toSkin)
{
    for (int slot = 0; slot < kDrawnFlashes; ++slot)
        if (flashEnabled[slot]) flashes[slot].Draw();
    for (int slot = fromSkin; slot < toSkin; ++slot)
        if (skinEnabled[slot]) skins[slot].Draw();
}

void DemoEngine::SwitchLayersOff()
{
    for (int slot = 0; slot < layerCount; ++slot) layers[slot].SwitchCapture(false);
}

void DemoEngine::SelectLayerScene(Object2D& layer)
{
    vekEnableScene(layer.SceneName());
    vekSetActiveCamera(layer.CameraName());
}

void DemoEngine::RenderLayerScene(Object2D& layer)
{
    SelectLayerScene(layer);
    vekDefineViewRect(0.0f, 0.0f, float(layer.TargetWidth()), float(layer.TargetHeight()), kViewAspect);
    vekRender();
    vekUpdate();
}

void DemoEngine::CaptureLayers()
{
    for (int slot = 0; slot < layerCount; ++slot) {
        if (!layers[slot].Begin()) continue;
        RenderLayerScene(layers[slot]);
        layers[slot].End();
    }
}

void DemoEngine::DrawLayers()
{
    for (int slot = 0; slot < layerCount; ++slot) layers[slot].Draw();
}

void DemoEngine::CaptureGlow()
{
    Object2D& glow = GlowLayer();
    if (!glowOn || !glow.Begin()) return;
    // The rectangle goes to the glow scene's camera, so the scene is enabled first.
    RenderLayerScene(glow);
    glow.End();
}

void DemoEngine::DrawGlow()
{
    if (glowOn) GlowLayer().Draw();
}
