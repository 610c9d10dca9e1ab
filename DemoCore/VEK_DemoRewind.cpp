// Taking the show back to the moment its music starts, so that a stretch of show time can
// be run again without being drawn (a start at a later time, a jump while playing, a
// script read again while playing), and reading a changed script while the show plays.
#include "VEK_DemoEngine.h"

#include "VEK_ScriptDocument.h"
#include "VEK_ScriptLog.h"
#include "vekEngineFW.h"
#include "vekPlatform.h"

#include <tinyxml.h>

#include <cstring>

namespace {
constexpr unsigned char kFirstSelectedLayer = 2;
}  // namespace

void DemoEngine::RewindShow()
{
    std::memset(flashEnabled, 0, sizeof flashEnabled);
    std::memset(skinEnabled, 0, sizeof skinEnabled);
    for (Object2D& flash : flashes) flash.Reset();
    for (Object2D& skin : skins) skin.Reset();
    for (Object2D& layer : layers) {
        if (layer.layerEnabled) layer.ToggleLayer();
        layer.SetSceneName("");
        layer.SetCameraName("");
    }
    layersMode = false;
    glowOn = false;
    radialSwitch = false;
    selectedLayer = kFirstSelectedLayer;
    emitterSwitch = true;
    currentScene[0] = '\0';
    currentCamera[0] = '\0';
    // The shared hold clock as at a start: the first hold steps at once.
    Object2D::ResetHoldClock(plat::TickCount() - Object2D::kHoldStepMs);

    // Emitters run from the moment they are loaded; only events stop them.
    for (int i = 0; i < events.count; ++i) {
        const EventRecord& event = events.entries[i];
        if (event.type == EventCode::kType3D && vekGetThingType(event.name) == VEK_THING_EMITTER)
            vekEnableEmitter(event.name, 1);
    }
    events.Rewind();
}

bool DemoEngine::ReloadScript(bool restartEngine, std::string& error)
{
    TiXmlDocument document(kProjectFile);
    if (const char* failure = LoadScriptDocument(document, kProjectFile)) {
        error = failure;
        WriteScriptErrorLog(kProjectLog, failure);
        return false;
    }
    Read2DObjects(kProjectFile);
    if (restartEngine) RestartScenes();
    else vekParseXMLScript(kProjectFile);
    LoadEffects(kProjectFile);
    return true;
}

void DemoEngine::RestartScenes()
{
    vekKill();
    vekInitFrameWork();
    vekParseXMLScript(kProjectFile);
    vekPreCacheAll();
}
