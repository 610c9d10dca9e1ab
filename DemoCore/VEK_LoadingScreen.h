// The loading picture shown while the demo and the 3D engine initialise.
#pragma once

// Clears the window, draws the loading picture from "escena/load.k2d" and presents it.
void ShowLoadingScreen(int width, int height, int colourBits);
