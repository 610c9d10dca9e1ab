// Empty call points; see VEK_LaterPasses.h.
#include "VEK_LaterPasses.h"

void setGlowSizes(Light&, float) {}
void loadFlareSet(Light&, const char*) {}
void setGLLight(Light&) {}
void updateLight(Light&, const Vector3&, const Vector3&) {}
void drawGlow(Light&) {}
void drawFlares(Light&, const Vector3&, const Vector3&) {}
void partitionTransparent(Scene&) {}
void resortTransparent(Scene&) {}
void drawStatistics(Scene&) {}
Font* CreateFont(const char*) { return nullptr; }
void DestroyFont(Font*) {}
