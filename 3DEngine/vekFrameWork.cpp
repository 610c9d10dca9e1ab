#include "vekFrameWork.h"

#include "VEK_ScriptDocument.h"
#include "VEK_ScriptLog.h"

#include <tinyxml.h>

void FrameWork::parseScript(const char* path)
{
    TiXmlDocument document(path ? path : "");
    if (const char* error = LoadScriptDocument(document, path)) {
        WriteScriptErrorLog("XMLScriptError.LOG", error);
        return;
    }
    // Scenes are read, imported and loaded here once the scene loader is part of the
    // library; until then a parsed script loads no scene.
}
