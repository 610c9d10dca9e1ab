// The timed events of the show: reading the FX entries of the project script and
// applying, once per frame, the event whose start the music has reached.
#include "VEK_DemoEngine.h"

#include "VEK_ScriptDocument.h"
#include "VEK_ScriptLog.h"
#include "VEK_Text.h"
#include "vekEngineFW.h"
#include "vekPlatform.h"

#include <tinyxml.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
constexpr float kUnset = -69.0f;   // a parameter that no attribute gave

// Slots that events address by name.
constexpr int kLastEventFlash = 5;
constexpr int kLastEventSkin = 30;
constexpr int kLastEventLayer = 5;

struct NamedCode {
    const char* name;
    unsigned char code;
};
constexpr NamedCode k2DClasses[] = {
    {"flash", EventCode::kFlash}, {"skin", EventCode::kSkin},     {"layer", EventCode::kLayer},
    {"glow", EventCode::kGlow},   {"radial", EventCode::kRadial}, {"r2txt", EventCode::kR2txt},
};

// Attributes that fill the parameter record, in the order they are applied: a later
// one overwrites an earlier one that fills the same parameter.
struct ParameterAttribute {
    const char* attribute;
    int parameter;
    bool integer;   // converted with atoi, stored as a float
};
constexpr ParameterAttribute kCommonParameters[] = {
    {"fadein", 0, false}, {"fadeout", 1, false}, {"blendfunc", 2, true},
    {"maxalpha", 3, false}, {"blur", 0, false}, {"strenght", 1, false},
};
constexpr ParameterAttribute kRadialParameters[] = {
    {"alphamax", 0, false},  {"alphamin", 1, false}, {"passes", 2, false},  {"power", 3, false},
    {"usemotion", 4, false}, {"motionx", 5, false},  {"motiony", 6, false}, {"motiongen", 7, false},
    {"motioncx", 8, false},  {"motioncy", 9, false},
};

template <std::size_t N>
void FillParameters(const TiXmlElement& element, const ParameterAttribute (&table)[N], float* parameters)
{
    for (const ParameterAttribute& entry : table) {
        const char* value = element.Attribute(entry.attribute);
        if (!value) continue;
        parameters[entry.parameter] = entry.integer ? float(std::atoi(value)) : float(std::atof(value));
    }
}

bool Find2DClass(const char* text, unsigned char& code)
{
    for (const NamedCode& entry : k2DClasses)
        if (text && std::strcmp(text, entry.name) == 0) {
            code = entry.code;
            return true;
        }
    return false;
}

float AttributeSeconds(const TiXmlElement& element, const char* name, float fallback)
{
    const char* value = element.Attribute(name);
    return value ? float(std::atof(value)) : fallback;
}
// Glow and r2txt act on fixed targets; every other event finds its target by name.
bool NeedsName(unsigned char eventType, unsigned char eventClass)
{
    return eventType == EventCode::kType3D || (eventClass != EventCode::kGlow && eventClass != EventCode::kR2txt);
}

bool HasName(const TiXmlElement& element)
{
    const char* name = element.Attribute("name");
    return name && *name;
}
}  // namespace

void DemoEngine::LoadEffects(const char* path)
{
    if (!actionsLoad) return;
    events.Reset();
    TiXmlDocument document(path);
    if (const char* error = LoadScriptDocument(document, path)) {
        WriteScriptErrorLog(kProjectLog, error);
        return;
    }
    const TiXmlElement* root = document.FirstChildElement("demoproject");
    const TiXmlElement* section = root ? root->FirstChildElement("engineDEMO") : nullptr;
    if (!section) return;

    // Attributes an element does not give keep the values of the element before it.
    float parameters[EventList::kParameterCount] = {};
    int unknownClasses = 0;
    int nameless = 0;
    for (const TiXmlElement* fx = section->FirstChildElement("FX"); fx; fx = fx->NextSiblingElement("FX")) {
        FillParameters(*fx, kCommonParameters, parameters);
        const char* type = fx->Attribute("type");
        const char* className = fx->Attribute("class");
        unsigned char eventType = 0;
        unsigned char eventClass = 0;
        if (type && std::strcmp(type, "2d") == 0) {
            if (!Find2DClass(className, eventClass)) {
                ++unknownClasses;
                continue;
            }
            if (eventClass == EventCode::kRadial) FillParameters(*fx, kRadialParameters, parameters);
            eventType = EventCode::kType2D;
        } else if (type && std::strcmp(type, "3d") == 0) {
            // Only "hitcam" has a meaning of its own; any other class acts as none.
            eventClass = className && std::strcmp(className, "hitcam") == 0 ? EventCode::kHitcam : EventCode::kNone;
            eventType = EventCode::kType3D;
        } else {
            continue;
        }
        if (NeedsName(eventType, eventClass) && !HasName(*fx)) {
            ++nameless;   // it would act on the first slot nobody named
            continue;
        }
        const float start = AttributeSeconds(*fx, "start", 0.0f);
        const float end = AttributeSeconds(*fx, "end", start);   // no end: no hold
        events.Append(eventType, eventClass, start, end, fx->Attribute("name"), parameters);
    }
    if (unknownClasses > 0)
        std::fprintf(stderr, "%s: %d FX element(s) of type \"2d\" with an unknown class were skipped.\n", path,
                     unknownClasses);
    if (nameless > 0)
        std::fprintf(stderr, "%s: %d FX element(s) without a name were skipped.\n", path, nameless);
    if (events.Dropped() > 0) {
        char text[160];
        std::snprintf(text, sizeof text, "%s holds more than %d FX events: the last %d are not played.", path,
                      EventList::kCapacity, events.Dropped());
        plat::ShowMessage("XML parser", text);
    }
}

void DemoEngine::UpdateFrame()
{
    if (!actionsFire) return;
    if (!events.Fire(sound.Position())) return;
    // An event whose target is not found stays unmarked; the cursor has moved on anyway.
    const bool applied = events.CurrentType() == EventCode::kType3D ? Apply3DEvent() : Apply2DEvent();
    if (applied) events.MarkFired();
}

bool DemoEngine::Apply3DEvent()
{
    const char* name = events.CurrentName();
    switch (vekGetThingType(name)) {
    case VEK_THING_SCENE:
        CopyText(currentScene, name);
        if (glowOn) GlowLayer().SetSceneName(name);
        vekEnableScene(name);
        break;
    case VEK_THING_CAMERA:
        if (events.CurrentClass() == EventCode::kHitcam) {
            vekEnableCameraHit();
        } else {
            CopyText(currentCamera, name);
            if (glowOn) GlowLayer().SetCameraName(name);
            vekSetActiveCamera(name);
        }
        break;
    case VEK_THING_EMITTER:
        emitterSwitch = !emitterSwitch;
        vekEnableEmitter(name, emitterSwitch);
        break;
    case VEK_THING_CONTROLLER: vekEnableAnimRegion(name); break;
    default: return false;
    }
    return true;
}

bool DemoEngine::Apply2DEvent()
{
    const char* name = events.CurrentName();
    const float* p = events.CurrentParameters();
    switch (events.CurrentClass()) {
    case EventCode::kFlash: return StartFaderEvent(flashes, kLastEventFlash, flashEnabled, false);
    case EventCode::kSkin: return StartFaderEvent(skins, kLastEventSkin, skinEnabled, true);
    case EventCode::kLayer: {
        const int slot = FindObject2D(layers, 0, kLastEventLayer, name);
        if (slot < 0) return false;
        Object2D& layer = layers[slot];
        layersMode = !layersMode;
        layer.SetCameraName(currentCamera);
        layer.SetSceneName(currentScene);
        if (p[0] != kUnset && p[0] != 0.0f && p[1] != 0.0f) layer.Target().SetAlphas(p[0], p[1]);
        if (p[2] != 0.0f) layer.SetBlendMode(int(p[2]));
        if (p[3] != 0.0f) layer.SetMaxAlpha(p[3]);
        layer.ToggleLayer();
        layer.Start();
        selectedLayer = static_cast<unsigned char>(slot);
        break;
    }
    case EventCode::kGlow: {
        Object2D& glow = GlowLayer();
        glow.SetCameraName(currentCamera);
        glow.SetSceneName(currentScene);
        glow.ToggleLayer();
        glow.Start();
        if (p[0] != kUnset && p[0] != 0.0f && p[1] != 0.0f) glow.Target().SetAlphas(p[0], p[1]);
        glowOn = !glowOn;
        break;
    }
    case EventCode::kRadial: {
        const int slot = FindObject2D(layers, 0, kLastEventLayer, name);
        if (slot < 0) return false;
        Object2D& layer = layers[slot];
        layer.SetCameraName(currentCamera);
        layer.SetSceneName(currentScene);
        if (p[0] != kUnset) {
            layer.Target().SetRadial(p[0], p[1], int(p[2]));
            layer.Target().SetRadialOn(false);
        }
        selectedLayer = static_cast<unsigned char>(slot);
        break;
    }
    case EventCode::kR2txt: layersMode = !layersMode; break;
    default: return false;
    }
    return true;
}

// A flash or skin event: finds the slot named by the event among slots 0 .. last and
// starts it with the event's speeds, blend mode, maximum alpha and hold time.
bool DemoEngine::StartFaderEvent(Object2D* slots, int last, unsigned char* enabled, bool skinRule)
{
    const int slot = FindObject2D(slots, 0, last, events.CurrentName());
    if (slot < 0) return false;
    const float* p = events.CurrentParameters();
    Object2D& object = slots[slot];
    if (p[0] != kUnset) {
        if (p[0] != 0.0f && p[1] != 0.0f) {
            object.SetFadeInSpeed(p[0]);
            object.SetFadeOutSpeed(p[1]);
        }
        if (p[2] != kUnset) object.SetBlendMode(int(p[2]));
        // A skin takes the maximum alpha even when the event gave none (it is then 0).
        if (skinRule ? p[3] != kUnset : p[3] != 0.0f) object.SetMaxAlpha(p[3]);
    }
    object.SetHoldTime(events.CurrentDuration());
    object.Start();
    enabled[slot] = 1;
    return true;
}
