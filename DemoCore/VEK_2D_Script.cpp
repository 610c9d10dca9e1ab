#include "VEK_2D_Script.h"

#include "VEK_2D_Text.h"
#include "VEK_K2DPack.h"
#include "VEK_ScriptDocument.h"
#include "VEK_ScriptLog.h"
#include "vekPlatform.h"

#include <tinyxml.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace script2d {
namespace {

// atoi, without its undefined overflow: out-of-range values saturate.
int ScriptInt(const char* text)
{
    if (!text) return 0;
    const long value = std::strtol(text, nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return int(value);
}

// atof; values that are not finite numbers count as 0.
float ScriptFloat(const char* text)
{
    if (!text) return 0.0f;
    const float value = static_cast<float>(std::strtod(text, nullptr));
    return std::isfinite(value) ? value : 0.0f;
}

bool ReadFloat(const TiXmlElement& element, const char* attribute, float& value)
{
    const char* text = element.Attribute(attribute);
    if (text) value = ScriptFloat(text);
    return text != nullptr;
}

bool ReadInt(const TiXmlElement& element, const char* attribute, int& value)
{
    const char* text = element.Attribute(attribute);
    if (text) value = ScriptInt(text);
    return text != nullptr;
}

const char* OrEmpty(const char* text) { return text ? text : ""; }

std::string Format(const char* pattern, const char* first, const char* second = "")
{
    char message[512];
    std::snprintf(message, sizeof message, pattern, first, second);
    return message;
}

// Colour and speeds, common to flashes and skins.
void ReadFader(const TiXmlElement& element, ObjectSetup& setup)
{
    if (const TiXmlElement* color = element.FirstChildElement("color")) {
        // A colour element names the channels that are on; the others are 0.
        setup.red = ScriptFloat(color->Attribute("r"));
        setup.green = ScriptFloat(color->Attribute("g"));
        setup.blue = ScriptFloat(color->Attribute("b"));
    }
    setup.hasFadeIn = ReadFloat(element, "fadein", setup.fadeIn);
    setup.hasFadeOut = ReadFloat(element, "fadeout", setup.fadeOut);
    setup.hasBlend = ReadInt(element, "blendfunc", setup.blend);
}

void ReadSkin(const TiXmlElement& element, ObjectSetup& setup)
{
    const char* z = element.Attribute("z");
    const int slot = ScriptInt(z);
    if (!z || slot < 0 || slot >= kSkinSlots) {
        setup.messages.push_back(Format(text2d::kBadSkinSlot, setup.name.c_str(), OrEmpty(z)));
        return;
    }
    setup.kind = Kind::skin;
    setup.slot = slot;
    ReadFader(element, setup);
    const char* file = element.Attribute("file");
    const char* texture = element.Attribute("texturefile");
    const char* mask = element.Attribute("texturemaskfile");
    if (!file) setup.messages.push_back(text2d::kNoSkinFile);
    if (!texture) setup.messages.push_back(text2d::kNoSkinTexture);
    // Without a file name there is nothing to write or read; without a base JPEG the
    // skin is not meant to have an image. Either way it keeps its colour and fades.
    setup.loadImage = file && texture;
    setup.file = OrEmpty(file);
    setup.texture = OrEmpty(texture);
    setup.hasMask = mask != nullptr;
    setup.mask = OrEmpty(mask);
    setup.pack = ScriptInt(element.Attribute("import")) == 1;
}

void ReadLayer(const TiXmlElement& element, ObjectSetup& setup)
{
    const TiXmlElement* layer = element.FirstChildElement("layer");
    if (!layer) {
        setup.messages.push_back(Format(text2d::kNoLayerElement, setup.name.c_str()));
        return;
    }
    const char* z = layer->Attribute("z");
    const int slot = ScriptInt(z);
    if (!z || slot < 0 || slot >= kScriptLayerSlots) {
        setup.messages.push_back(Format(text2d::kBadLayerSlot, setup.name.c_str(), OrEmpty(z)));
        return;
    }
    setup.kind = Kind::layer;
    setup.slot = slot;
    LayerSpec& values = setup.layer;
    ReadInt(*layer, "xres", values.xres);
    ReadInt(*layer, "yres", values.yres);
    ReadInt(*layer, "blenda", values.blenda);
    ReadInt(*layer, "blendb", values.blendb);
    ReadInt(*layer, "blendc", values.blendc);
    ReadInt(*layer, "blendd", values.blendd);
    ReadFloat(*layer, "blur", values.blur);
    ReadFloat(*layer, "strenght", values.strength);
}

void ShowMessages(const ObjectSetup& setup)
{
    for (const std::string& message : setup.messages) plat::ShowMessage(text2d::kScriptCaption, message.c_str());
}

void SetUpFader(Object2D& object, const ObjectSetup& setup)
{
    object.SetUpFader(kScreenWidth, kScreenHeight);
    object.SetColour(setup.red, setup.green, setup.blue);
    if (setup.hasFadeOut) object.SetFadeOutSpeed(setup.fadeOut);
    if (setup.hasFadeIn) object.SetFadeInSpeed(setup.fadeIn);
    object.SetName(setup.name.c_str());
    if (setup.hasBlend) object.SetBlendMode(setup.blend);
}

void SetUpSkin(Object2D& object, const ObjectSetup& setup)
{
    SetUpFader(object, setup);
    ShowMessages(setup);
    if (!setup.loadImage) return;
    // A failed pack has shown its message; an older packed file may still be there to load.
    if (setup.pack) k2d::PackSkin(setup.file.c_str(), setup.texture.c_str(), setup.hasMask ? setup.mask.c_str() : nullptr);
    object.LoadSkin(setup.file.c_str(), setup.hasMask);
}

void SetUpLayer(Object2D& object, const ObjectSetup& setup)
{
    const LayerSpec& values = setup.layer;
    object.SetName(setup.name.c_str());
    object.SetUpLayer(setup.slot, values.xres, values.yres, int(kScreenWidth), int(kScreenHeight), values.blenda,
                      values.blendb, values.blendc, values.blendd, values.blur, values.strength);
}
}  // namespace

Script Parse2DScript(const TiXmlDocument& document)
{
    Script script;
    script.loaded = true;
    const TiXmlElement* root = document.FirstChildElement("demoproject");
    const TiXmlElement* section = root ? root->FirstChildElement("engine2D") : nullptr;
    if (!section) return script;

    int nextFlash = 0;
    for (const TiXmlNode* node = section->FirstChild("object"); node; node = node->NextSibling("object")) {
        const TiXmlElement* element = node->ToElement();
        if (!element) continue;
        ObjectSetup setup;
        setup.name = OrEmpty(element->Attribute("name"));
        const char* kind = OrEmpty(element->Attribute("class"));
        if (std::strcmp(kind, "layer") == 0) {
            ReadLayer(*element, setup);
            if (setup.kind == Kind::layer && setup.slot + 1 > script.layerCount) script.layerCount = setup.slot + 1;
        } else if (std::strcmp(kind, "skin") == 0) {
            ReadSkin(*element, setup);
        } else if (std::strcmp(kind, "flash") == 0) {
            ++script.flashesInScript;
            if (nextFlash == kFlashSlots) continue;  // reported once, after the section
            setup.kind = Kind::flash;
            setup.slot = nextFlash++;
            ReadFader(*element, setup);
        } else {
            continue;  // any other class is not an object of the 2D engine
        }
        script.objects.push_back(std::move(setup));
    }
    return script;
}

void Apply2DScript(const Script& script, const Slots& slots)
{
    // A later layer element for a slot replaces the earlier ones, so only the last is set
    // up: a script that repeats a slot many times builds its surface once.
    std::size_t lastLayer[kScriptLayerSlots];
    std::fill(std::begin(lastLayer), std::end(lastLayer), script.objects.size());
    for (std::size_t i = 0; i < script.objects.size(); ++i)
        if (script.objects[i].kind == Kind::layer) lastLayer[script.objects[i].slot] = i;

    for (std::size_t i = 0; i < script.objects.size(); ++i) {
        const ObjectSetup& setup = script.objects[i];
        switch (setup.kind) {
        case Kind::flash:
            SetUpFader(slots.flashes[setup.slot], setup);
            ShowMessages(setup);
            break;
        case Kind::skin: SetUpSkin(slots.skins[setup.slot], setup); break;
        case Kind::layer:
            ShowMessages(setup);
            if (lastLayer[setup.slot] == i) SetUpLayer(slots.layers[setup.slot], setup);
            break;
        case Kind::ignored: ShowMessages(setup); break;
        }
    }
    if (script.flashesInScript > kFlashSlots) {
        char message[256];
        std::snprintf(message, sizeof message, text2d::kTooManyFlashes, script.flashesInScript, kFlashSlots);
        plat::ShowMessage(text2d::kScriptCaption, message);
    }
}

int Read2DScript(const char* path, const Slots& slots)
{
    TiXmlDocument document(path);
    if (const char* error = LoadScriptDocument(document, path)) {
        WriteScriptErrorLog(text2d::kScriptLog, error);
        return -1;
    }
    const Script script = Parse2DScript(document);
    Apply2DScript(script, slots);
    return script.layerCount;
}

}  // namespace script2d
