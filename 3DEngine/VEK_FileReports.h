// The engine's data files that could not be used, each reported once: a texture named by
// several materials, the glow images of every light, the lens-flare file of every light.
// The list starts empty with each framework.
#pragma once

#include <string>

namespace filereports {
// True the first time path is given since the list was last cleared.
bool FirstReport(const std::string& path);
// True when path has been reported since the list was last cleared.
bool Reported(const std::string& path);
void Forget();
}  // namespace filereports
