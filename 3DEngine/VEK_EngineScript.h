// The engine script: the children of a project script's scene element that configure a
// loaded Scene beyond its file (clipping and update rate, cameras and fog, lights,
// materials and sub-materials, objects with particle emitters and animation regions).
#pragma once

#include <functional>
#include <string>

class Scene;
class Thing;
class TiXmlElement;

// Problems found while a project script is applied, one line each: in
// "XMLScriptError.LOG" (the first line of a parse replaces an older log, the rest append),
// or handed to a sink instead.
class ScriptLog {
public:
    using Sink = std::function<void(const std::string& line)>;
    explicit ScriptLog(std::string fileName = "XMLScriptError.LOG") : fileName_(std::move(fileName)) {}
    explicit ScriptLog(Sink sink) : sink_(std::move(sink)) {}
    void line(const std::string& text);
    int lines() const { return lines_; }

private:
    std::string fileName_;
    Sink sink_;
    int lines_ = 0;
};

struct ScriptOptions {
    // Run the steps that need GL or other files: spot values sent to the GL light, the
    // alpha merge, lens-flare images, particle image packing and emitter start, and the
    // transparency partition with its "Zalpha.log". Off, they are only reported to the trace.
    bool applyEffects = true;
    // Told of every value the script sets: the record it lands on (the scene, a camera,
    // light, material, sub-material or object), the key, and the value as the engine took
    // it (numbers after their conversion, switches as "on" or "off").
    std::function<void(const Thing& record, const std::string& key, const std::string& value)> trace;
};

// Applies one scene element (its attributes and children) to its scene, in the fixed
// order: scene attributes, cameras, lights, materials, the transparency partition, objects.
// Elements that name no record of the scene are skipped with a log line; an element that
// lacks one of its required attributes changes nothing and logs one line per attribute.
void ApplyScript(Scene& scene, const TiXmlElement& sceneElement, ScriptLog& log, const ScriptOptions& options = {});
