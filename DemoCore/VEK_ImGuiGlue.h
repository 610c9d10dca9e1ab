// Dear ImGui on the platform library's input and fixed-function OpenGL.
#pragma once

struct ImDrawData;

void GlueInit();                       // creates the context and the font texture
void GlueNewFrame(int width, int height, float seconds);
void GlueRender(ImDrawData* drawData);
void GlueShutdown();
