// Test programs run headless unless the caller chose otherwise: off-screen GL, silent
// audio, messages on standard error. Set before main, so SDL and children see it.
#include <cstdlib>

namespace {
struct HeadlessDefaults {
    HeadlessDefaults()
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        setenv("VEK_BATCH", "1", 0);
    }
} headlessDefaults;
}  // namespace
