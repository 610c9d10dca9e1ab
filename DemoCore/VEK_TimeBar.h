// TimeBar: a small bar along the bottom of the screen while authoring a show: the show
// time against the music's length, the event fired last and the next one, and whether
// the show is paused. Drawn over the finished frame with the player's 2D interface code.
#pragma once

#include <string>

class DemoEngine;

class TimeBar {
public:
    void Draw(const DemoEngine& demo, bool paused, int width, int height);
    void Release();   // while the GL context is still there

    // The bar's text, for the frame at hand.
    static std::string Describe(const DemoEngine& demo, bool paused);

private:
    bool ready_ = false;
};
