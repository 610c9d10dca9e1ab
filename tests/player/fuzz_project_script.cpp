// Feeds arbitrary text to the engineDEMO readers (project settings and FX events), and
// checks that the nesting check never counts fewer levels than the parser builds.
#include "VEK_DemoEngine.h"
#include "VEK_ScriptDocument.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {
int TreeDepth(const TiXmlNode* node)
{
    int deepest = 0;
    for (const TiXmlNode* child = node->FirstChild(); child; child = child->NextSibling())
        if (child->ToElement()) deepest = std::max(deepest, 1 + TreeDepth(child));
    return deepest;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const char* path = "demotest.xml";   // the fuzz run works in its own folder
    std::FILE* file = std::fopen(path, "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    const int depth = ScriptNestingDepth(std::string_view(reinterpret_cast<const char*>(data), size));
    if (depth <= kMaxScriptNesting) {
        TiXmlDocument document(path);
        LoadScriptDocument(document, path);
        if (TreeDepth(&document) > depth) __builtin_trap();
    }

    static auto demo = std::make_unique<DemoEngine>();
    demo->LoadProject(path);
    demo->actionsLoad = true;
    demo->LoadEffects(path);
    if (std::memchr(demo->projectName, 0, sizeof demo->projectName) == nullptr) __builtin_trap();
    if (std::memchr(demo->musicFile, 0, sizeof demo->musicFile) == nullptr) __builtin_trap();
    if (demo->events.Count() < 0 || demo->events.Count() > EventList::kCapacity) __builtin_trap();
    return 0;
}
