#include "VEK_SceneScript.h"

#include "VEK_EngineScript.h"
#include "VEK_Scene.h"
#include "VEK_ScriptDocument.h"
#include "vekPlatform.h"

#include <tinyxml.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {
namespace fs = std::filesystem;

enum ExitStatus { kShown = 0, kUnreadable = 1 };

// What the script set on each record, in the order it set it, and the lines it logged.
struct ScriptEffects {
    std::map<const Thing*, std::vector<std::pair<std::string, std::string>>> byRecord;
    std::vector<std::string> logLines;
};

int Refuse(const char* format, ...) __attribute__((format(printf, 1, 2)));
int Refuse(const char* format, ...)
{
    std::fputs("vekscene: ", stderr);
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
    std::fputc('\n', stderr);
    return kUnreadable;
}

// The scene elements named name, in document order; names lists every scene name seen.
std::vector<const TiXmlElement*> SceneElements(const TiXmlElement& section, const std::string& name, std::string& names)
{
    std::vector<const TiXmlElement*> found;
    for (const TiXmlElement* e = section.FirstChildElement("scene"); e; e = e->NextSiblingElement("scene")) {
        const char* own = e->Attribute("name");
        names += std::string(names.empty() ? "" : ", ") + "\"" + (own ? own : "") + "\"";
        if (own && name == own) found.push_back(e);
    }
    return found;
}

// A list's records in file order: lists hold the newest first.
template <typename T>
std::vector<const T*> InFileOrder(const ThingList& list)
{
    std::vector<const T*> records;
    for (const T* record : list.each<T>()) records.insert(records.begin(), record);
    return records;
}

void PrintRecord(const ScriptEffects& effects, const Thing& record, const std::string& title, int depth = 0)
{
    const std::string indent(std::size_t(depth) * 2, ' ');
    const auto found = effects.byRecord.find(&record);
    if (found == effects.byRecord.end()) {
        std::printf("%s%s: not set by the script\n", indent.c_str(), title.c_str());
        return;
    }
    std::printf("%s%s\n", indent.c_str(), title.c_str());
    for (const auto& [key, value] : found->second) std::printf("%s  %s %s\n", indent.c_str(), key.c_str(), value.c_str());
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

void PrintMaterial(const ScriptEffects& effects, const Material& material)
{
    PrintRecord(effects, material, "material " + Quoted(material.name));
    for (std::uint32_t slot = 1; slot < material.subMaterialCount && slot < Material::kSlots; ++slot)
        if (const Material* sub = material.subMaterials[slot].get())
            PrintRecord(effects, *sub, "sub-material " + Quoted(sub->name), 1);
}

void PrintScene(const Scene& scene, const char* file, const ScriptEffects& effects)
{
    PrintRecord(effects, scene, "scene " + Quoted(scene.name) + " from " + file);
    for (const Camera* camera : InFileOrder<Camera>(scene.cameras))
        PrintRecord(effects, *camera, "camera " + Quoted(camera->name) + (camera == scene.activeCamera ? " (active)" : ""));
    for (const OmniLight* light : InFileOrder<OmniLight>(scene.omniLights))
        PrintRecord(effects, *light, "light " + Quoted(light->name));
    for (const TargetLight* light : InFileOrder<TargetLight>(scene.targetLights))
        std::printf("light %s: a target light, which the script cannot set\n", Quoted(light->name).c_str());
    for (const Material* material : InFileOrder<Material>(scene.materials))
        PrintMaterial(effects, *material);
    for (const SceneObject* object : InFileOrder<SceneObject>(scene.objects))
        PrintRecord(effects, *object, "object " + Quoted(object->name));
    if (effects.logLines.empty()) {
        std::printf("script log: no lines\n");
        return;
    }
    std::printf("script log: %zu line%s\n", effects.logLines.size(), effects.logLines.size() == 1 ? "" : "s");
    for (const std::string& line : effects.logLines) std::printf("  %s\n", line.c_str());
}

// The scene file of the element, read and prepared as the engine does it, without GL. A
// file that does not open and a damaged one are told apart.
std::unique_ptr<Scene> LoadScene(const fs::path& showFolder, const char* file, const std::string& name)
{
    const fs::path path = fs::path(file).is_absolute() ? fs::path(file) : showFolder / file;
    auto scene = std::make_unique<Scene>(path.string(), name);
    if (scene->loader.failed && !scene->loader.rejected()) {
        Refuse("scene \"%s\": cannot open its file %s", name.c_str(), path.c_str());
        return nullptr;
    }
    if (scene->loader.failed || !scene->readRecords()) {
        const scenefile::ReadError& problem = scene->loader.problem();
        Refuse("scene \"%s\": its file %s is damaged at byte %zu: %s", name.c_str(), path.c_str(), problem.offset,
               problem.what.c_str());
        return nullptr;
    }
    scene->prepareRecords();
    return scene;
}
}  // namespace

int ShowSceneScript(const char* scriptPath, const char* sceneName)
{
    plat::SetBatchMode(true);   // the loader's messages go to standard error
    TiXmlDocument document(scriptPath);
    if (const char* error = LoadScriptDocument(document, scriptPath))
        return Refuse("%s: not a readable project script: %s", scriptPath, error);
    const TiXmlElement* root = document.FirstChildElement("demoproject");
    const TiXmlElement* section = root ? root->FirstChildElement("engine3D") : nullptr;
    if (!section) return Refuse("%s: no demoproject/engine3D section", scriptPath);
    std::string names;
    const std::vector<const TiXmlElement*> elements = SceneElements(*section, sceneName, names);
    if (elements.empty())
        return Refuse("%s: no scene named \"%s\" in engine3D (scenes: %s)", scriptPath, sceneName,
                      names.empty() ? "none" : names.c_str());
    // The engine loads the file of the first element of a name; later ones only apply
    // their script to that scene again.
    const char* file = elements.front()->Attribute("file");
    if (!file) return Refuse("%s: scene \"%s\" names no file", scriptPath, sceneName);
    std::unique_ptr<Scene> scene = LoadScene(fs::path(scriptPath).parent_path(), file, sceneName);
    if (!scene) return kUnreadable;

    ScriptEffects effects;
    ScriptLog log([&](const std::string& line) { effects.logLines.push_back(line); });
    ScriptOptions options;
    options.applyEffects = false;
    options.trace = [&](const Thing& record, const std::string& key, const std::string& value) {
        effects.byRecord[&record].emplace_back(key, value);
    };
    for (const TiXmlElement* element : elements) ApplyScript(*scene, *element, log, options);

    const char* ase = elements.front()->Attribute("ASE");
    const char* import = elements.front()->Attribute("import");
    if (ase && import && std::atoi(import) == 1)
        std::printf("(import=\"1\": the engine first converts %s into %s; shown is %s as it is now)\n", ase, file, file);
    PrintScene(*scene, file, effects);
    return kShown;
}
