// A recorded show as a folder of pictures, frameNNNNNN.png (counted from 1), and its music
// as audio.wav (16-bit PCM, exactly as long as the frames last), for demo makers who
// assemble the video with tools of their own.
#pragma once

#include "VEK_FrameSink.h"

#include <memory>
#include <string>

// The folder must exist; null with the reason when audio.wav cannot be written.
std::unique_ptr<FrameSink> OpenPictureFolder(const std::string& folder, const RecordFormat& format, std::string& error);
