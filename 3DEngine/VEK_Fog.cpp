#include "VEK_Fog.h"

GLenum FogModeFromScript(int mode, GLenum current)
{
    switch (mode) {
    case 0: return GL_LINEAR;
    case 1: return GL_EXP2;
    case 2: return GL_EXP;
    default: return current;
    }
}

void ApplyFog(const Camera& camera)
{
    if (!camera.fogEnabled) {
        glDisable(GL_FOG);
        return;
    }
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GLint(camera.fogMode));
    glFogfv(GL_FOG_COLOR, camera.fogColour.data());
    glFogf(GL_FOG_DENSITY, camera.fogDensity);
    glFogf(GL_FOG_START, camera.fogStart);
    glFogf(GL_FOG_END, camera.fogEnd);
    glEnable(GL_FOG);
}
