// Telling which layout a K2D file has: the file itself does not say.
#pragma once

#include "VEK_K2DFile.h"

#include <cstdio>
#include <optional>
#include <string>

namespace k2dtool {

struct Guess {
    k2d::Layout layout;
    bool withMask = false;  // layout A: a second JPEG follows the base image
    k2d::Index index;
};

// A layout fits when its record table is sound, every record starts with a JPEG's
// start-of-image marker and the table accounts for the whole file. Layouts are tried in
// the order A, B, C. When none fits, reasons says why each failed.
std::optional<Guess> GuessLayout(std::FILE* file, std::string& reasons);

}  // namespace k2dtool
