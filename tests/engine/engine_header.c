/* The public header used from plain C: every export is declared with C linkage and
 * can be called through the shared library. */
#include "vekEngineFW.h"

#include <stdio.h>

int main(void)
{
    float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    int failures = 0;
    if (!vekInitFrameWork()) {
        puts("vekInitFrameWork returned no framework");
        failures++;
    }
    /* Without a current scene every call does nothing and gives its "none" result. */
    vekEnableScene("none");
    vekSetActiveCamera("none");
    vekDefineViewRect(0.0f, 0.0f, 800.0f, 600.0f, 1.3f);
    vekRender();
    vekUpdate();
    vekEnableAnimRegion("none");
    vekSetFrameSpeed("none", 2);
    vekSetFrameHoop("none", 10);
    vekEnableCameraHit();
    vekSetCameraSphere("none", "none", 1.0f);
    vekWalltest("none", "none", 1);
    vekEnableThing("none", "none", 1);
    vekGravity("none", "none", 1);
    vekEnableEmitter("none", 1);
    vekSetMaterialAttr("none", 1, 0);
    vekSetLightProps("none", "none", 1.0f, colour, colour, colour, 1.0f);
    if (vekCameraCollided("none", 1.0f)) { puts("vekCameraCollided without a scene"); failures++; }
    if (vekGetObjectDistance("none") != 0.0f) { puts("vekGetObjectDistance without a scene"); failures++; }
    if (vekGetThingType("none") != 0) { puts("vekGetThingType without a scene"); failures++; }
    vekKill();
    return failures;
}
