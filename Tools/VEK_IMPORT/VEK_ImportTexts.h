// Every fixed text of the import plug-in: message boxes, their captions and the lines it
// writes to "debug.log". printf formats; keep the arguments in the order noted.
#pragma once

namespace aseimport::text {

// ---- captions -------------------------------------------------------------------------
constexpr char kDllCaption[] = "[K3D Import DLL Message]";
constexpr char kConsoleCaption[] = "[K3D Import Console Message]";
constexpr char kFatalCaption[] = "Fatality Error! ;) [K3D Import Console Message]";

// ---- message boxes --------------------------------------------------------------------
constexpr char kCantOpenInput[] = "Can't Open Input ASCII File to import";
constexpr char kObjectExported[] = "Object : %s Exported Succesful!";              // name
constexpr char kMaterialExported[] = "Material : %s Exported Succesful!";          // name
constexpr char kObjectUnmapped[] = "Object : %s Has no Mapped Vertexs!";            // name
constexpr char kTextureNotFound[] = "Texture bitmap : %s not found!";              // path

// ---- conversion failures (message box and log) ----------------------------------------
constexpr char kEmptyInput[] = "The ASE file %s is empty";                          // path
constexpr char kNotAse[] = "The file %s is not an ASE scene: it does not begin with *3DSMAX_ASCIIEXPORT"; // path
constexpr char kBadScene[] = "The ASE file %s cannot be converted: %s";            // path, reason
constexpr char kCantWriteOutput[] = "Can't write the scene file %s: %s";            // path, reason
constexpr char kLogFailed[] = "\n\n****Conversion failed: %s";                      // reason

// Reasons given with kBadScene.
constexpr char kOutOfRange[] = "%s %s is %lld, outside 0..%lld";                   // what, name, value, max
constexpr char kTooFewItems[] = "object %s lists %zu of its %lld %s";              // name, found, declared, what
constexpr char kFaceIndex[] = "object %s: face %zu uses %s %lld, outside 0..%lld"; // name, face, what, value, max
constexpr char kTooFewMaterials[] = "the material list declares %lld materials but holds %zu";
constexpr char kTooFewSubMaterials[] = "material %s declares %lld sub-materials but holds %zu";
constexpr char kFrameVertices[] = "object %s: the mesh animation frame at time %lld lists %zu of its %lld vertices";
constexpr char kNoBlock[] = "the %s at line %zu opens no { } block";              // keyword, line
constexpr char kTooBig[] = "the scene file would be larger than %zu MB";          // megabytes
constexpr char kTooDeep[] = "groups are nested more than %d deep at line %zu";

// ---- debug.log: conversion driver -----------------------------------------------------
constexpr char kLogOpened[] = "\n\n\n\n\n******************************\nInput File Opened OK!";

// ---- debug.log: objects ---------------------------------------------------------------
constexpr char kProcessingObject[] = "\n\n* Processing Object: %s";
constexpr char kChildOf[] = "\n\n* Object it's a child of : %s";
constexpr char kNoParent[] = "\n\n* Object has No parent ";
constexpr char kUsesDeformers[] = "\nObject uses Deformers.";
constexpr char kNoDeformers[] = "\nObject not using vertex modifiers";
constexpr char kVerticesRead[] = "\nReaded Vertexes ok";
constexpr char kFacesRead[] = "\nProcessed Faces OK";
constexpr char kNoTextureVertices[] =
    "\nObject %s has no texture vertices: writing one texture vertex (0, 0, 0) for all its faces";
constexpr char kTextureVerticesRead[] = "\nProcessed S,T texture coords OK";
constexpr char kLastTextureVertex[] = "\nLast readed UVW Value %lu %f %f %f";
constexpr char kNoTextureFaces[] = "\nObject %s has no texture faces: every corner uses texture vertex 0";
constexpr char kTextureFacesRead[] = "\nProcessed Textures Faces OK";
constexpr char kLastTextureFace[] = "\nLast readed TVERT Map Value %lu %f %f %f";  // face, its 3 corners
constexpr char kNoNormals[] = "\nObject %s has no normals: each face's normal, from its corners taken counter-clockwise, is written for its face and its three vertices";
constexpr char kFaceNormalsRead[] = "\nProcessed Face Normals OK";
constexpr char kLastFaceNormal[] = "\nLast readed Face Normal was: %d : %f %f %f";
constexpr char kVertexNormalBytes[] = "Preparing to read Vertex Normals size required in bytes %d";
constexpr char kVertexNormalOutOfRange[] = "\n************** FATAL ERROR lectura MESH_vertexnormal se vaaa";
constexpr char kLastVertexNormal[] = "\nLast readed Vertex Normal was: %lu : %f %f %f";
constexpr char kVertexNormalsBuffered[] = "\nOK MESH_VERTEXNORMAL per faces, readed OK in buffer";
constexpr char kFlushingVertexNormals[] = "\n[[[Proceding to flush buffer into sceneFile]]]";
constexpr char kVertexNormalsFlushed[] = "\n[[[ OK MESH_VERTEXNORMALS flushed to scene File, DELETING BUFFER ]]]";
constexpr char kMaterialUsed[] = "\nMaterial Used was %d";
constexpr char kNoMaterialRef[] = "\nObject %s names no material: material reference 0";
constexpr char kSampleKeysWarning[] =
    "\nWarning exporting sample keys...if not marked all the same\nas last Time in 3dsMAX, I will crash";
constexpr char kExportingMorph[] = "\nExporting MESH_ANIMATION KEYS";
constexpr char kMorphGaps[] = "\a\a\n****Error Verify the keys of %s object to Time 0 to %d";
constexpr char kMorphExported[] = "\n** OK! exported animation of %d Frames";
constexpr char kNameGenerated[] = "\n%s %zu has no name: written as %s";
constexpr char kUnreadableOutput[] = "the scene file written would not load (byte %zu: %s)";
constexpr char kNameCut[] = "\nThe name %s is longer than %zu bytes: written as %s";

// ---- debug.log: materials -------------------------------------------------------------
constexpr char kConvertingMaterial[] = "\nConverting Material: %s cadena";
constexpr char kSubMaterial[] = "\n   Sub-material %u: %s of %s";                      // slot, name, base
constexpr char kMultiAsPlain[] = "\nMaterial %s has %lld sub-materials (at most 10): written as a plain material";

// ---- debug.log: cameras ---------------------------------------------------------------
constexpr char kProcessedCamera[] = "\nProcessed %s Camera";
constexpr char kTargetDistance1[] = "\nTDIST %f #1";
constexpr char kTargetDistance2[] = "\nTDIST %f #2";
constexpr char kCameraNoFov1[] = "\nCamera : %s, #1 sense animació FOV";
constexpr char kCameraFov[] = "\nCamera : %s, te animació FOV";
constexpr char kFovWarning[] =
    "\nWarning exporting FOV sample keys...if not marked all the same\nas last Time in 3dsMAX, I will crash";
constexpr char kFovKeyTime[] = "\n%d FOV Camera keys";
constexpr char kFovGaps[] = "\a\a\n****Error Verify the FOV keys of %s object to Time 0 to %d";
constexpr char kFovExported[] = "\n** OK! exported animation of %d FOV Frames";
constexpr char kCameraNoFov2[] = "\nCamera : %s, #2 sense animació FOV";
constexpr char kFreeCamera[] = "\nCamera %s has no target node: its target is put %f units along its view";

// ---- debug.log: lights ----------------------------------------------------------------
constexpr char kProcessedLight[] = "\nProcessed %s Light";
constexpr char kLightValue[] = "%f ";
constexpr char kLightIntensity[] = "-%f ";
constexpr char kSpotTarget[] = "\nProcessed %s Spot Light's target";
constexpr char kLightAnimation[] = "\nProcessed %s %d Light animation";
constexpr char kLightTargetAnimation[] = "\nProcessed %s  %d Light's Target animation";
constexpr char kLightAsOmni[] = "\nLight %s of type %s is written as an omni light";

}  // namespace aseimport::text
