// vekscene script: what the engine script of one scene element sets on the records of its
// scene, and the lines the script logs, so that a demo maker sees why a key had no effect.
#pragma once

// Reads the engine3D section of the project script at scriptPath, loads the scene file of
// the scene element named sceneName as the engine does (paths taken from the script's
// folder, as the player takes them from the show's), applies that element's engine script
// with the engine's own code (without GL: nothing is uploaded, packed or started) and
// prints every record with the values the script set on it, then the script's log lines.
// Returns the exit status: 0 shown, 1 the script, the element or the scene file could not
// be read.
int ShowSceneScript(const char* scriptPath, const char* sceneName);
