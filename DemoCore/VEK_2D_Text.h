// The fixed texts of the 2D layer engine: log file, message captions and messages.
#pragma once

namespace text2d {

// ---- the engine2D reader -------------------------------------------------------------
inline constexpr const char* kScriptLog = "2d_XMLScriptError.LOG";
inline constexpr const char* kScriptCaption = "XML parser";
inline constexpr const char* kNoSkinFile = "engine2D: Fatal Error,No binary Scene2d file supplied!";
inline constexpr const char* kNoSkinTexture = "engine2D: Fatal Error, No JPG given, and this is a skinned fader!";
//   object name, z as written ("" when absent)
inline constexpr const char* kBadSkinSlot = "engine2D: skin '%s' has z '%s'; skins use slots 0 to 32. The skin is ignored.";
//   object name, z as written ("" when absent)
inline constexpr const char* kBadLayerSlot =
    "engine2D: layer '%s' has z '%s'; layers use slots 0 to 15. The layer is ignored.";
//   object name
inline constexpr const char* kNoLayerElement =
    "engine2D: layer '%s' has no <layer> element (z, xres, yres). The layer is ignored.";
//   flashes in the script, flash slots
inline constexpr const char* kTooManyFlashes = "engine2D: the script has %d flashes; only the first %d are used.";

// ---- render targets ------------------------------------------------------------------
inline constexpr const char* kTargetCaption = "vek Warning!";
inline constexpr const char* kNoFramebuffers =
    "engine2D: this OpenGL driver has no framebuffer objects; render-target layers are switched off.";
//   layer index, width, height, largest side
inline constexpr const char* kBadTargetSize =
    "engine2D: layer %d asks for a %d x %d render target; sides must be 1 to %d. The layer is switched off.";
//   layer index, width, height
inline constexpr const char* kTargetIncomplete =
    "engine2D: the render target of layer %d (%d x %d) could not be created. The layer is switched off.";

}  // namespace text2d
