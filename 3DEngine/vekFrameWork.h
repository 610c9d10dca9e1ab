// FrameWork: the engine library's one object behind the exported calls.
#pragma once

class Scene;

class FrameWork {
public:
    FrameWork() = default;
    virtual ~FrameWork() = default;
    FrameWork(const FrameWork&) = delete;
    FrameWork& operator=(const FrameWork&) = delete;

    // The scene the current-scene calls act on; empty until scenes can be loaded.
    Scene* current = nullptr;
    // The import plug-in library while a script is being parsed.
    void* pluginModule = nullptr;

    // Reads the engine3D section of a project script. A script that cannot be parsed
    // writes "XMLScriptError.LOG" and nothing is loaded.
    void parseScript(const char* path);
};

// The framework made by vekInitFrameWork; null before it and after vekKill.
FrameWork* TheFrameWork();
