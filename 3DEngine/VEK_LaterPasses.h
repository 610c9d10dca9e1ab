// Call points of the passes that come with the lights-and-overlay and the particle work:
// light set-up and animation, glows and lens flares, the transparency partition and
// re-sort ("Zalpha.log"), the statistics overlay and the font. NOT BUILT YET: each does
// nothing; the framework and the engine script call them where their order needs them.
#pragma once

class Font;
class Light;
class Scene;
struct Vector3;

void setGlowSizes(Light& light, float size);
void loadFlareSet(Light& light, const char* path);
void setGLLight(Light& light);
void updateLight(Light& light, const Vector3& eye, const Vector3& target);
void drawGlow(Light& light);
void drawFlares(Light& light, const Vector3& eye, const Vector3& target);
void partitionTransparent(Scene& scene);
void resortTransparent(Scene& scene);
void drawStatistics(Scene& scene);
// The framework's overlay font from "font.bin"; null until the font is built.
Font* CreateFont(const char* fileName);
void DestroyFont(Font* font);
