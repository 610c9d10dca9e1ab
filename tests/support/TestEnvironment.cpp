// Test programs run headless unless the caller chose otherwise: off-screen GL, silent
// audio, messages on standard error. Set before main, so SDL and children see it.
//
// They also start in a fresh temporary folder of their own, removed at exit, so a log that
// a converter or loader writes into the working directory ("debug.log", "Loader.LOG")
// never lands in the source tree or the build folder, whatever folder CTest runs them in.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {
struct HeadlessDefaults {
    HeadlessDefaults()
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        setenv("VEK_BATCH", "1", 0);
    }
} headlessDefaults;

struct WorkingFolder {
    WorkingFolder()
    {
        std::error_code error;
        std::string pattern = (std::filesystem::temp_directory_path(error) / "vektest-cwd-XXXXXX").string();
        if (!error && mkdtemp(pattern.data()) && chdir(pattern.c_str()) == 0) path = pattern;
    }
    ~WorkingFolder()
    {
        if (path.empty()) return;
        std::error_code ignored;
        std::filesystem::current_path(std::filesystem::temp_directory_path(ignored), ignored);
        std::filesystem::remove_all(path, ignored);
    }
    std::string path;
} workingFolder;
}  // namespace
