#include "VEK_LoadingScreen.h"

#include "vekPlatform.h"

#include <GL/gl.h>

LoadingSpriteLayout LoadingLayoutFor(int screenWidth, int screenHeight)
{
    // Single precision, as the layout was first computed: 800 / 1.6f gives exactly 500
    // where double precision would truncate to 499.
    const float w = float(screenWidth), h = float(screenHeight);
    return {screenWidth / 3, int(h / 1.4f), int(w / 1.6f), int(h / 3.6f)};
}

void ShowLoadingScreen(int width, int height, int colourBits)
{
    ShowLoadingScreen(theLoadingScreen, width, height, colourBits);
}

void ShowLoadingScreen(SpriteSet& sprites, int width, int height, int colourBits)
{
    sprites.Initialise(width, height, colourBits);
    sprites.Load(kLoadingScreenFile);
    const LoadingSpriteLayout layout = LoadingLayoutFor(width, height);
    for (int index : {0, 1}) {
        sprites.SetAlpha(1.0f, index);
        sprites.ScaleToSize(layout.width, layout.height, index);
        sprites.SetPosition(layout.x, layout.y, 0, index);
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    plat::SwapWindow();
    DrawLoadingScreen(sprites, width, height);
    plat::SwapWindow();
}

void DrawLoadingScreen(SpriteSet& sprites, int width, int height)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4f(0.0f, 0.0f, 0.0f, 0.0f);
    glBegin(GL_QUADS);
    glVertex2f(0.0f, 0.0f);
    glVertex2f(float(width), 0.0f);
    glVertex2f(float(width), float(height));
    glVertex2f(0.0f, float(height));
    glEnd();
    sprites.Draw();
}
