// The bundled sample show, made once per test run by scripts/make-show.sh into
// VEK_TEST_SHOW_DIR (the CTest fixture "sample_show"); every test plays its own copy.
#pragma once

#include "DemoRun.h"
#include "TempDir.h"

#include <filesystem>
#include <string>

// Copies the made show into dir; false when the show has not been made.
inline bool CopySampleShow(const TempDir& dir)
{
    const std::filesystem::path show = VEK_TEST_SHOW_DIR;
    if (!std::filesystem::exists(show / "music.ogg")) return false;
    std::filesystem::copy(show, dir.path(), std::filesystem::copy_options::recursive);
    return true;
}

// How every test plays the show: headless, in batch mode, with its key track.
inline std::string ShowArguments(int framesPerSecond)
{
    return "--no-dialog --window --batch --keys keys.txt --fixed-fps " + std::to_string(framesPerSecond);
}
