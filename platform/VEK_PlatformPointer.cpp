// Relative pointer motion for the engine's free camera. SDL's relative mode reports motion
// without the pointer stopping at the window's edge, so the camera turns the same in a
// window and full screen; where the driver cannot capture, motion inside the window still
// counts.
#include "vekPlatform.h"

#include <SDL.h>

namespace plat {
namespace {
bool captured = false;
int postedX = 0, postedY = 0;
}  // namespace

void RelativeMouseMotion(int& dx, int& dy)
{
    dx = postedX;
    dy = postedY;
    postedX = postedY = 0;
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    if (!captured) {
        captured = true;
        SDL_SetRelativeMouseMode(SDL_TRUE);
        SDL_GetRelativeMouseState(nullptr, nullptr);   // motion from before the capture is not ours
        return;
    }
    int x = 0, y = 0;
    SDL_GetRelativeMouseState(&x, &y);
    dx += x;
    dy += y;
}

void ReleasePointer()
{
    if (!captured) return;
    captured = false;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_SetRelativeMouseMode(SDL_FALSE);
}

void PostPointerMotion(int dx, int dy)
{
    postedX += dx;
    postedY += dy;
}

}  // namespace plat
