// The engine script: the children of a project script's scene element that configure a
// loaded Scene beyond its file (clipping and update rate, cameras and fog, lights,
// materials and sub-materials, objects with particle emitters and animation regions).
#pragma once

#include <cstdio>
#include <functional>
#include <string>

class Scene;
class TiXmlElement;

// Problems found while a project script is applied, one line each, in
// "XMLScriptError.LOG". The first line of a parse replaces an older log; the rest append.
class ScriptLog {
public:
    explicit ScriptLog(std::string fileName = "XMLScriptError.LOG") : fileName_(std::move(fileName)) {}
    void line(const std::string& text);
    int lines() const { return lines_; }

private:
    std::string fileName_;
    int lines_ = 0;
};

struct ScriptOptions {
    // Run the steps that need GL or other files: spot values sent to the GL light, the
    // alpha merge, lens-flare images, particle image packing and emitter start. Off, they
    // are only reported to the trace.
    bool applyEffects = true;
    // Told of every value the script sets: record ("camera Camera01"), key ("fov"), value.
    std::function<void(const std::string& record, const std::string& key, const std::string& value)> trace;
};

// Applies one scene element (its attributes and children) to its scene, in the fixed
// order: scene attributes, cameras, lights, materials, the transparency partition, objects.
// Elements that name no record of the scene are skipped with a log line; an element that
// lacks one of its required attributes changes nothing and logs one line per attribute.
void ApplyScript(Scene& scene, const TiXmlElement& sceneElement, ScriptLog& log, const ScriptOptions& options = {});
