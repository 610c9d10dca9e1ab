#include "VEK_Lights.h"

#include "VEK_Scene.h"

#include <GL/glu.h>

#include <cmath>

namespace {
constexpr float kGlowAngleDrift = 0.09f;   // degrees per update, in opposite directions

void stepGlow(Light& light)
{
    light.glowAngle1 += kGlowAngleDrift;
    light.glowAngle2 -= kGlowAngleDrift;
    light.glowSize += (light.occluded || light.offscreen) ? -light.glowStep : light.glowStep;
    if (light.glowSize >= light.glowMax)
        light.glowSize = light.glowMax;
    else if (light.glowSize <= light.glowMin)
        light.glowSize = light.glowMin;
}

// Blocklight moves the working attenuation one step per update towards limitSup while the
// light is hidden and back towards the base value while it is seen. The step is taken
// while the value is still short of its bound, so it may pass the bound by less than a
// step; the next update clamps it.
void stepBlockLight(Light& light)
{
    if (light.occluded)
        light.currentAttenuation =
            light.currentAttenuation < light.limitSup ? light.currentAttenuation + light.incStep : light.limitSup;
    else
        light.currentAttenuation = light.currentAttenuation > light.baseAttenuation
                                       ? light.currentAttenuation - light.decStep
                                       : light.baseAttenuation;
}

// The normal of the plane through light, eye and target, divided by half its squared
// length. A light on the line of sight spans no plane: the direction stays as it was.
void updateSpotDirection(Light& light, const Vector3& eye, const Vector3& target)
{
    const Vector3 c = cross(subtract(target, light.point), subtract(eye, light.point));
    const float h = (c.x * c.x + c.y * c.y + c.z * c.z) / 2;
    if (!(h > 0) || !std::isfinite(h)) return;
    light.spotDirection[0] = c.x / h;
    light.spotDirection[1] = c.y / h;
    light.spotDirection[2] = c.z / h;
    light.spotDirection[3] = 1.0f;
}
}  // namespace

void setGlowSizes(Light& light, float v)
{
    light.glowSize = v / 2;
    light.glowMax = v;
    light.glowMin = v / 4;
    light.glowStep = (light.glowMax - light.glowMin) / 5;
    light.glowAngle1 = 0;
    light.glowAngle2 = 150;
}

void updateLight(Light& light, const Vector3& eye, const Vector3& target)
{
    if (!light.enabled) return;
    if (light.positionController && light.positionController->enabled && light.positionController->hasPosition()) {
        const Vector3& sample = light.positionController->position();
        light.point.setPoint(sample.x, sample.y, sample.z);
    }
    stepGlow(light);
    if (light.attenuationMode == 1) {
        const Vector3& l = light.point;
        const float spread = std::fabs(eye.x - l.x) + std::fabs(eye.y - l.y) + std::fabs(eye.z - l.z);
        light.distanceAttenuation = light.baseAttenuation / std::sqrt(spread) / 256;
    } else if (light.attenuationMode > 1 && light.blockLight) {
        stepBlockLight(light);
    }
    updateSpotDirection(light, eye, target);
}

float effectiveAttenuation(const Light& light)
{
    return light.blockLight ? light.currentAttenuation : light.baseAttenuation;
}

void setGLLight(const Light& light)
{
    if (!light.enabled) return;
    const GLenum id = GLenum(light.glLight);
    glEnable(GL_LIGHTING);
    glEnable(id);
    glLightf(id, GL_SPOT_EXPONENT, light.spotExponent);
    glLightf(id, GL_SPOT_CUTOFF, light.spotCutoff);
    // The light's colour is its ambient colour; it is also its diffuse colour.
    glLightfv(id, GL_AMBIENT, light.colours.ambient.data());
    glLightfv(id, GL_DIFFUSE, light.colours.ambient.data());
    glLightfv(id, GL_SPECULAR, light.colours.specular.data());
    // Modes 2 .. 4 are stored as the GL attenuation enums; -1 (never set) sets nothing.
    if (light.attenuationMode > 1)
        glLightf(id, GLenum(light.attenuationMode), effectiveAttenuation(light));
    else if (light.attenuationMode == 1)
        glLightf(id, GL_LINEAR_ATTENUATION, light.distanceAttenuation);
    else if (light.attenuationMode == 0)
        glLightf(id, GL_LINEAR_ATTENUATION, 0.0f);
    const float position[4] = {light.point.x, light.point.y, light.point.z, 1.0f};
    glLightfv(id, GL_POSITION, position);
    glLightfv(id, GL_SPOT_DIRECTION, light.spotDirection);
}

void probeLightVisibility(Light& light)
{
    GLdouble model[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    const Vector3& p = light.point;
    // Clip-space w of the point: a point at or behind the eye projects mirrored into the
    // view, so it counts as off the screen.
    double eyeSpace[4];
    for (int r = 0; r < 4; ++r) eyeSpace[r] = model[r] * p.x + model[4 + r] * p.y + model[8 + r] * p.z + model[12 + r];
    double clipW = 0;
    for (int c = 0; c < 4; ++c) clipW += projection[4 * c + 3] * eyeSpace[c];
    GLdouble wx = 0, wy = 0, wz = 0;
    if (!(clipW > 0) || gluProject(p.x, p.y, p.z, model, projection, viewport, &wx, &wy, &wz) != GL_TRUE) {
        light.offscreen = true;
        return;
    }
    // Window coordinates include the viewport's origin, so the test is against its rectangle.
    const bool inside = wx >= viewport[0] && wx < viewport[0] + viewport[2] && wy >= viewport[1] &&
                        wy < viewport[1] + viewport[3];
    if (!inside) {
        light.offscreen = true;
        return;
    }
    // glReadPixels reads the current read surface: the window's depth buffer, or the
    // depth attachment of a bound framebuffer object.
    GLfloat depth = 1.0f;
    glReadPixels(GLint(wx), GLint(wy), 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    light.occluded = depth < wz;
    light.offscreen = false;
}

bool setLightProps(Scene& scene, const std::string& lightName, float glowSize, const float ambient[4],
                   const float diffuse[4], const float specular[4], float attenuation)
{
    OmniLight* light = scene.findOmniLight(lightName);
    if (!light) return false;
    auto copy = [](Colour& to, const float* from) {
        if (from)
            for (int i = 0; i < 4; ++i) to[std::size_t(i)] = from[i];
    };
    copy(light->colours.ambient, ambient);
    copy(light->colours.diffuse, diffuse);
    copy(light->colours.specular, specular);
    light->baseAttenuation = attenuation;
    setGlowSizes(*light, glowSize);
    return true;
}
