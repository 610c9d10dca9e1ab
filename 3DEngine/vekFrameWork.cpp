#include "vekFrameWork.h"

#include "VEK_ScriptLog.h"

#include <tinyxml.h>

void FrameWork::parseScript(const char* path)
{
    TiXmlDocument document(path ? path : "");
    if (!document.LoadFile()) {
        WriteScriptErrorLog("XMLScriptError.LOG", document.ErrorDesc());
        return;
    }
    // Scenes are read, imported and loaded here once the scene loader is part of the
    // library; until then a parsed script loads no scene.
}
