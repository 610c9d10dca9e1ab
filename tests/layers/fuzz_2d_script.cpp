// Feeds arbitrary text to the engine2D reader's description step.
#include "VEK_2D_Script.h"

#include <tinyxml.h>

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    TiXmlDocument document;
    document.Parse(text.c_str());
    if (document.Error()) return 0;
    const script2d::Script script = script2d::Parse2DScript(document);
    for (const script2d::ObjectSetup& setup : script.objects) {
        if (setup.kind == script2d::Kind::flash && (setup.slot < 0 || setup.slot >= script2d::kFlashSlots)) __builtin_trap();
        if (setup.kind == script2d::Kind::skin && (setup.slot < 0 || setup.slot >= script2d::kSkinSlots)) __builtin_trap();
        if (setup.kind == script2d::Kind::layer && (setup.slot < 0 || setup.slot >= script2d::kScriptLayerSlots))
            __builtin_trap();
    }
    if (script.layerCount < 0 || script.layerCount > script2d::kScriptLayerSlots) __builtin_trap();
    return 0;
}
