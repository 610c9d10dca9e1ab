// Built instead of VEK_VideoFile.cpp when the FFmpeg libraries were not found.
#include "VEK_VideoFile.h"

bool VideoRecordingBuiltIn() { return false; }

std::unique_ptr<FrameSink> OpenVideoFile(const std::string&, const RecordFormat&, std::string& error)
{
    error = kVideoNotBuiltIn;
    return nullptr;
}
