// vekview's command line: the scene file and the switches that choose what is drawn.
#pragma once

#include <string>

struct ViewOptions {
    std::string scenePath;
    std::string cameraName;      // empty: the scene's first camera (or the preview camera)
    long frame = 0;              // animation frame to show
    int width = 800, height = 600;
    std::string outPath = "vekview.png";
    bool freeCamera = false;     // --free: fly through the scene in a window
    bool help = false;
};

// Exit status for a command line that cannot be used.
inline constexpr int kBadArguments = 2;

// Fills options from argv; false with the reason in error when the line cannot be used.
bool ParseViewOptions(int argc, char** argv, ViewOptions& options, std::string& error);

const char* ViewUsage();
