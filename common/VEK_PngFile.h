// Writes a picture read back from GL as an 8-bit RGB PNG.
#pragma once

#include <string>

// rgb holds height rows of width pixels, bottom row first (as glReadPixels returns them).
// False with the reason in error when the file could not be written. `fast` trades file
// size for speed (for many pictures in a row).
bool WriteBottomUpPng(const std::string& path, const unsigned char* rgb, int width, int height, std::string& error,
                      bool fast = false);
