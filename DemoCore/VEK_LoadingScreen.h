// The loading picture shown while the demo and the 3D engine initialise.
#pragma once

#include "VEK_SpriteSet.h"

// The process-global loading-screen sprites. Defined in VEK_Player.cpp before the demo
// engine, so it is constructed before it and destroyed after it.
extern SpriteSet theLoadingScreen;

inline constexpr const char* kLoadingScreenFile = "escena/load.k2d";

// Where sprites 0 and 1 go on a screen: size width/3 x height/1.4 at
// (width/1.6, height/3.6), y from the top, every quotient truncated (266 x 428 at
// (500, 166) on 800 x 600).
struct LoadingSpriteLayout {
    int width, height, x, y;
};
LoadingSpriteLayout LoadingLayoutFor(int screenWidth, int screenHeight);

// Clears the window, loads "escena/load.k2d" into the sprites, draws the loading picture
// and presents it. A missing file is reported and the screen stays black.
void ShowLoadingScreen(SpriteSet& sprites, int width, int height, int colourBits);
// The same with theLoadingScreen.
void ShowLoadingScreen(int width, int height, int colourBits);

// Draws the picture into the back buffer: a black quad over the window, then the sprites.
void DrawLoadingScreen(SpriteSet& sprites, int width, int height);
