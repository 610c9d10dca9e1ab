// FrameWork: the engine library's one object behind the exported calls. It owns the
// loaded scenes, knows the current one, loads scenes from their files and runs the
// current scene's render and update cycles.
#pragma once

#include "VEK_Thing.h"

#include <string>

class Font;
class Scene;

class FrameWork {
public:
    FrameWork();
    virtual ~FrameWork();
    FrameWork(const FrameWork&) = delete;
    FrameWork& operator=(const FrameWork&) = delete;

    // Loads one scene file under name. A name already loaded returns true and reads
    // nothing; a file that does not open (or is damaged) returns false and loads nothing.
    // A loaded scene goes to the front of the list and becomes current.
    bool LoadScene(const std::string& file, const std::string& name);
    // Makes a loaded scene current and applies the default GL state with the lights
    // off; a name that matches no scene changes nothing (and touches no GL state).
    void EnableScene(const std::string& name);
    // The current scene's cycles; nothing without a current scene.
    void Render();
    void Update();
    // Renders every scene once, newest first; the scene loaded first ends up current.
    void PreCacheAll();
    Scene* findScene(const std::string& name) const;

    // Reads the engine3D section of a project script: converts the scenes that ask for
    // an import, loads every scene and applies its engine script (VEK_ProjectScript.cpp).
    void parseScript(const char* path);

    Font* font = nullptr;        // the overlay font from "font.bin", owned; scenes refer to it
    ThingList scenes;            // Scene, newest first
    Scene* current = nullptr;    // the scene the current-scene calls act on
    void* pluginModule = nullptr;   // the import plug-in library while a script is parsed
    std::string pluginFile = "libVEK_Import.so";   // loaded from the engine library's folder
};

// The framework made by vekInitFrameWork; null before it and after vekKill.
FrameWork* TheFrameWork();
