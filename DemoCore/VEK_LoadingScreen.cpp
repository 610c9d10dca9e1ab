#include "VEK_LoadingScreen.h"

#include "vekPlatform.h"

#include <GL/gl.h>

void ShowLoadingScreen(int width, int height, int /*colourBits*/)
{
    // The picture itself ("escena/load.k2d", drawn as sprites) is not read yet: the
    // screen stays black.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    plat::SwapWindow();

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
    plat::SwapWindow();
}
