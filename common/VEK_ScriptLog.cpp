#include "VEK_ScriptLog.h"

#include <cstdio>

bool WriteScriptErrorLog(const char* logFile, const char* parserError)
{
    std::FILE* log = std::fopen(logFile, "w");
    if (!log) return false;
    // The file name in the line is fixed: every reader reads the one project script.
    std::fprintf(log, "Could not load test file 'demotest.xml'. Error='%s'. Exiting.\n",
                 parserError ? parserError : "");
    return std::fclose(log) == 0;
}
