// A recorded show as one video file (Matroska .mkv or MPEG-4 .mp4) through the FFmpeg
// libraries: H.264 pictures (MPEG-4 Part 2 where the H.264 encoder is missing) in 4:2:0
// colour, and the music (FLAC in .mkv, AAC in .mp4), timed to the sample.
#pragma once

#include "VEK_FrameSink.h"

#include <memory>
#include <string>

// False when this build has no FFmpeg libraries: --render is then refused with this text.
bool VideoRecordingBuiltIn();
inline constexpr const char* kVideoNotBuiltIn =
    "--render is not built in: this demo was built without the FFmpeg libraries";

// Opens path and its encoders; null with the reason when it cannot.
std::unique_ptr<FrameSink> OpenVideoFile(const std::string& path, const RecordFormat& format, std::string& error);
