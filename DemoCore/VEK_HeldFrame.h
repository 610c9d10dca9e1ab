// HeldFrame: the picture of a paused show. The frame drawn when the show stops is copied
// into a texture and shown again on every pass, so the picture stays exactly as it was
// while the show's clock stands still (drawing the show again would not: particles and
// layer trails move on with every drawn frame).
#pragma once

#include <GL/gl.h>

class HeldFrame {
public:
    void Grab(int width, int height);   // the back buffer's picture
    void Draw() const;                  // over the whole back buffer
    void Release();                     // while the GL context is still there

private:
    GLuint texture_ = 0;
    int width_ = 0, height_ = 0;
    int textureWidth_ = 0, textureHeight_ = 0;
};
