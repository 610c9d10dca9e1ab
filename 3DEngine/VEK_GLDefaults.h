// The engine's default OpenGL state, applied after a scene is loaded and whenever one is
// enabled.
#pragma once

void ApplyDefaultGLState();
// GL_LIGHT0 to GL_LIGHT7 off, as enabling a scene leaves them.
void DisableAllLights();
