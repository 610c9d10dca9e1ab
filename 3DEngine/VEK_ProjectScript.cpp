// Reading the engine3D section of the project script: each scene element is converted
// from ASE when it asks for it, loaded, and configured by its engine script.
#include "VEK_EngineScript.h"
#include "VEK_ImportPlugin.h"
#include "VEK_Scene.h"
#include "VEK_ScriptDocument.h"
#include "VEK_ScriptLog.h"
#include "vekFrameWork.h"

#include "vekPlatform.h"

#include <tinyxml.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace {
constexpr const char* kScriptLog = "XMLScriptError.LOG";
constexpr const char* kCaption = "XML parser";

// Any address inside the engine: the plug-in is loaded from the folder of the module
// that holds it.
const void* EngineModuleAddress() { return reinterpret_cast<const void*>(&EngineModuleAddress); }

bool FileExists(const char* path)
{
    struct stat info;
    return path && ::stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

// The import plug-in while one script is parsed: loaded at the start, unloaded at the end.
class PluginLibrary {
public:
    PluginLibrary(FrameWork& frameWork, const std::string& fileName) : frameWork_(frameWork), fileName_(fileName)
    {
        frameWork_.pluginModule = plat::LoadLibraryBeside(EngineModuleAddress(), fileName_.c_str());
        getPlugin_ = reinterpret_cast<GetPluginFunction>(plat::FindSymbol(frameWork_.pluginModule, kGetPluginSymbol));
        if (!getPlugin_) reason_ = plat::LastLoadError();
    }
    ~PluginLibrary()
    {
        plat::FreeLibrary(frameWork_.pluginModule);
        frameWork_.pluginModule = nullptr;
    }
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // A new converter, or null (after one message per parse) when the plug-in is missing.
    ImportPlugin* create()
    {
        if (getPlugin_) {
            ImportPlugin* plugin = nullptr;
            getPlugin_(&plugin);
            return plugin;
        }
        if (!reported_) {
            reported_ = true;
            const std::string text = "vek engine: the import plug-in " + plat::ModuleDirectory(EngineModuleAddress()) +
                                     fileName_ + " could not be loaded (" + reason_ +
                                     "); scenes load from their existing binary scene files.";
            plat::ShowMessage(kCaption, text.c_str());
        }
        return nullptr;
    }

private:
    FrameWork& frameWork_;
    std::string fileName_;
    GetPluginFunction getPlugin_ = nullptr;
    std::string reason_;
    bool reported_ = false;
};

// Converts ase into file; the loop ends at done (0) or at the first failure (10). The
// plug-in has shown why a conversion failed; what the engine does next goes to the log.
// False when the conversion failed and no file of an earlier one is there to load.
bool ConvertScene(PluginLibrary& library, const char* name, const char* ase, const char* file, ScriptLog& log)
{
    ImportPlugin* plugin = library.create();
    if (!plugin) return true;   // the scene loads from its existing file, as without import
    plugin->setInputPath(ase);
    plugin->setOutputPath(file);
    plugin->setTexturePrefix("");
    std::uint8_t status;
    while ((status = plugin->convertStep()) != kImportDone && status != kImportFailed) {
    }
    delete plugin;
    if (status == kImportDone) return true;
    const bool earlier = FileExists(file);
    const std::string text = std::string("vek engine: scene '") + (name ? name : "") + "' could not be converted from " +
                             ase + (earlier ? "; it loads from the existing " + std::string(file) + "."
                                            : "; there is no " + std::string(file) + " to load.");
    log.line(text);
    return earlier;
}

void ReadSceneElement(FrameWork& frameWork, PluginLibrary& library, const TiXmlElement& element, ScriptLog& log)
{
    const char* name = element.Attribute("name");
    const char* file = element.Attribute("file");
    const char* ase = element.Attribute("ASE");
    const char* import = element.Attribute("import");
    if (!name) plat::ShowMessage(kCaption, "vek engine: Fatal Error,No Logid name supplied, DLL clients may cause errors!");
    if (!file) plat::ShowMessage(kCaption, "vek engine: Fatal Error,No binary Scene file supplied!");
    const bool wantsImport = import && std::atoi(import) == 1;
    bool loadable = file != nullptr;   // no file: nothing to write to or load
    if (ase && wantsImport) {
        if (file) loadable = ConvertScene(library, name, ase, file, log);
    } else if (wantsImport) {
        plat::ShowMessage(kCaption, "vek engine: Fatal Error, ASE file does not exist!");
    }
    const std::string sceneName = name ? name : "";
    if (!loadable) return;
    frameWork.LoadScene(file, sceneName);
    if (Scene* scene = frameWork.findScene(sceneName)) ApplyScript(*scene, element, log);
}
}  // namespace

void FrameWork::parseScript(const char* path)
{
    PluginLibrary library(*this, pluginFile);
    TiXmlDocument document(path ? path : "");
    if (const char* error = LoadScriptDocument(document, path)) {   // also refuses scripts nested too deep
        WriteScriptErrorLog(kScriptLog, error);
        return;
    }
    ScriptLog log(kScriptLog);
    const TiXmlElement* root = document.FirstChildElement("demoproject");
    const TiXmlElement* section = root ? root->FirstChildElement("engine3D") : nullptr;
    if (!section) {
        log.line(std::string(path) + ": no demoproject/engine3D section; no 3D scene is loaded.");
        return;
    }
    for (const TiXmlElement* scene = section->FirstChildElement("scene"); scene;
         scene = scene->NextSiblingElement("scene"))
        ReadSceneElement(*this, library, *scene, log);
}
