// The fixed texts of the K2D readers and packers: message-box captions and messages.
#pragma once

namespace k2d::text {

// ---- packers (caption "XML parser") -------------------------------------------------
inline constexpr const char* kPackCaption = "XML parser";
inline constexpr const char* kPackSkinOutputFailed = "engine2D: Fatal Error, packing. target packed file may be in use";
inline constexpr const char* kPackBaseFailed = "engine2D: Fatal Error, packing , can't open JPG base";
inline constexpr const char* kPackMaskFailed = "engine2D: Fatal Error, packing, can`t open Mask JPG";
inline constexpr const char* kPackSequenceOutputFailed = "engine3D: Fatal Error, packing. Particle animations";

// ---- readers (caption "K2D Loading ERROR") ------------------------------------------
inline constexpr const char* kLoadCaption = "K2D Loading ERROR";
inline constexpr const char* kSceneNotFound = "K2D Scene File Not Founde.";
inline constexpr const char* kParticleNotFound = "K2D Particle_Sys File Not Founde.";
inline constexpr const char* kLensFlareNotFound = "K2D LensFlare File Not Founde.";

// A file whose record table is damaged: nothing of it is loaded.
//   file, what is wrong
inline constexpr const char* kDamaged = "K2D file '%s' is damaged and was not loaded: %s.";
// Problems with single images: the image is left out, the rest of the file loads.
//   file, image number, libjpeg's text
inline constexpr const char* kUndecodable = "K2D file '%s': image %d is not a readable JPEG (%s).";
//   file, image number, libjpeg's text; the JPEG stops before its last row
inline constexpr const char* kEndsEarly = "K2D file '%s': image %d ends early and was not loaded (%s).";
//   file, image number, libjpeg's text; the image is shown as far as it was decoded
inline constexpr const char* kPartlyDecoded = "K2D file '%s': image %d is damaged and shown only in part (%s).";
//   file, image number, width, height, largest side
inline constexpr const char* kTooLarge = "K2D file '%s': image %d is %u x %u pixels; images may have at most %d pixels a side.";
//   file, image number, width, height, megabytes the show's images may use
inline constexpr const char* kOverBudget =
    "K2D file '%s': image %d (%u x %u pixels) was not loaded: the show's images would use more than %u MB.";
//   file, image number, width, height, required width, required height
inline constexpr const char* kWrongSize = "K2D file '%s': image %d is %u x %u pixels; this file needs %d x %d images.";
//   file, record number, slot, highest slot
inline constexpr const char* kBadSlot = "K2D file '%s': record %d is for slot %d; this file has slots 0 to %d.";
//   file, images stored, images taken
inline constexpr const char* kTooMany = "K2D file '%s' holds %d images; only the first %d are used.";

}  // namespace k2d::text
