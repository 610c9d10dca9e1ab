#include "VEK_DemoEngine.h"

#include "VEK_ScriptLog.h"
#include "VEK_Text.h"
#include "vekEngineFW.h"

#include <GL/gl.h>
#include <tinyxml.h>

#include <cstdio>
#include <cstdlib>

namespace {
constexpr const char* kProjectLog = "demosys_XMLScriptError.LOG";
constexpr float kViewAspect = 1.3f;

// Full-width band of the 3D view and the 2D areas when the project gives v and h.
constexpr float kBandOrigin = 100.0f;
constexpr float kBandHeight = 400.0f;

const TiXmlElement* FindProjectSection(const TiXmlDocument& document)
{
    const TiXmlElement* root = document.FirstChildElement("demoproject");
    return root ? root->FirstChildElement("engineDEMO") : nullptr;
}
}  // namespace

void DemoEngine::LoadProject(const char* path)
{
    TiXmlDocument document(path);
    if (!document.LoadFile()) {
        WriteScriptErrorLog(kProjectLog, document.ErrorDesc());
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
    vekParseXMLScript("demotest.xml");
    // The engine2D reader and the 2D areas and glow layer of the 2D layer engine come
    // here, between the script and the pre-cache.
    vekPreCacheAll();

    updateRate = 30;
}

void DemoEngine::SetLoop(bool loop) { loopSwitch = loop; }

void DemoEngine::StartMusic(unsigned /*fileOffset*/) {}

void DemoEngine::LoadEffects(const char* /*path*/) {}

void DemoEngine::RenderFrame()
{
    if (layersMode) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        CaptureLayers();
    } else {
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

void DemoEngine::UpdateFrame() {}

void DemoEngine::RunTimeline(const unsigned char* /*keys*/) {}

void DemoEngine::StepEffects() {}

bool DemoEngine::CheckMusic() { return false; }

void DemoEngine::Shutdown() { vekKill(); }

// The 2D objects and render-target layers that these passes draw belong to the 2D
// layer engine; until it is part of the player there is nothing to draw.
void DemoEngine::RunPass2D(int, int) {}
void DemoEngine::CaptureLayers() {}
void DemoEngine::DrawLayers() {}
void DemoEngine::CaptureGlow() {}
void DemoEngine::DrawGlow() {}
