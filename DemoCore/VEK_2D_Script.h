// The engine2D reader: sets up the flash, skin and layer objects that the engine2D
// section of the project script describes.
//
//   <engine2D>
//     <object class="flash" name="white" fadein="0.1" fadeout="0.02" blendfunc="0">
//       <color r="1" g="1" b="1"/></object>
//     <object class="skin" name="logo" z="3" file="escena/logo.k2d" import="1"
//             texturefile="Data/logo.jpg" texturemaskfile="Data/logomask.jpg"> ... </object>
//     <object class="layer" name="trail"><layer z="0" xres="256" yres="256" blenda="4"
//             blendb="1" blendc="4" blendd="4" blur="0.1" strenght="0.7"/></object>
//   </engine2D>
//
// Reading happens in two steps: Parse2DScript turns the document into object
// descriptions (no GL, no files), Apply2DScript sets the objects up (textures, render
// targets, packing) and shows the messages.
#pragma once

#include "VEK_2D_Effect.h"

#include <string>
#include <vector>

class TiXmlDocument;

namespace script2d {

inline constexpr int kFlashSlots = 16;
inline constexpr int kSkinSlots = 33;
inline constexpr int kLayerSlots = 17;       // the last is the glow layer
inline constexpr int kScriptLayerSlots = 16; // slots the script may use
inline constexpr int kGlowLayer = 16;
inline constexpr float kScreenWidth = 800.0f;
inline constexpr float kScreenHeight = 600.0f;

struct LayerSpec {
    int xres = 0, yres = 0;
    // Absent attributes keep the render target's defaults.
    int blenda = 4, blendb = 1, blendc = 4, blendd = 4;
    float blur = 0.03f, strength = 0.6f;
};

enum class Kind { flash, skin, layer, ignored };

// One object element as read.
struct ObjectSetup {
    Kind kind = Kind::ignored;
    int slot = 0;                      // flash: next free slot; skin: z; layer: z of <layer>
    std::string name;                  // as written; objects keep 11 characters
    float red = 1.0f, green = 1.0f, blue = 1.0f;  // white without a <color> element
    bool hasFadeIn = false, hasFadeOut = false;   // absent speeds stay at 0.14
    float fadeIn = 0.0f, fadeOut = 0.0f;
    bool hasBlend = false;
    int blend = 0;
    std::string file, texture, mask;   // skin paths; mask empty for an unmasked skin
    bool hasMask = false;
    bool pack = false;                 // import="1"
    bool loadImage = false;            // file and texturefile are both given
    LayerSpec layer;
    std::vector<std::string> messages; // shown (caption "XML parser") when the object is set up
};

struct Script {
    bool loaded = false;
    std::string parserError;           // when the document could not be loaded
    std::vector<ObjectSetup> objects;   // document order
    int flashesInScript = 0;           // flash objects, used or not
    int layerCount = 0;                // highest layer slot used + 1
};

Script Parse2DScript(const TiXmlDocument& document);

// The demo engine's object slots.
struct Slots {
    Object2D* flashes;  // kFlashSlots
    Object2D* skins;    // kSkinSlots
    Object2D* layers;   // kLayerSlots
};
// Sets the objects up in document order; a layer slot named by several elements is set
// up once, by the last of them. Needs a GL context for skins and layers.
void Apply2DScript(const Script& script, const Slots& slots);

// Loads path, parses and applies it. When the document cannot be loaded, writes
// "2d_XMLScriptError.LOG" and configures nothing. Returns the layer count, or -1 when
// nothing was read.
int Read2DScript(const char* path, const Slots& slots);

}  // namespace script2d
