#include "VEK_Flares.h"

#include "VEK_FileReports.h"
#include "VEK_Lights.h"

#include <cmath>

namespace {
// slot, size, offset along the flare line (1 at the light, 0 at the view centre,
// negative beyond the centre).
constexpr FlareElement kFlareTable[FlareSet::kElements] = {
    {2, 0.04f, 0.9f}, {3, 0.1f, 0.8f},   {1, 0.2f, 0.5f},   {3, 0.05f, 0.2f},
    {0, 0.04f, 0.0f}, {4, 0.07f, -0.25f}, {4, 0.02f, -0.4f}, {4, 0.03f, -1.0f},
};
constexpr float kFlareScale = 1.3f;
constexpr float kGlowAlpha = 0.7f;

float squaredLength(const Vector3& v) { return v.x * v.x + v.y * v.y + v.z * v.z; }

// The unit vector along v. False for a vector too short to have a direction.
bool direction(const Vector3& v, Vector3& out)
{
    const float length = std::sqrt(squaredLength(v));
    if (!(length > 0) || !std::isfinite(length)) return false;
    out = {v.x / length, v.y / length, v.z / length};
    return true;
}

void glowQuad(float s, const Colour& colour)
{
    glColor4f(colour[0], colour[1], colour[2], kGlowAlpha);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1);
    glVertex2f(-s, s);
    glTexCoord2f(1, 1);
    glVertex2f(s, s);
    glTexCoord2f(1, 0);
    glVertex2f(s, -s);
    glTexCoord2f(0, 0);
    glVertex2f(-s, -s);
    glEnd();
}

void glowBillboard(const Vector3& at, float angle, GLuint texture, float size, const Colour& colour)
{
    glLoadIdentity();
    glTranslatef(at.x, at.y, at.z);
    glRotatef(angle, 0, 0, 1);
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glowQuad(size, colour);
}
}  // namespace

FlareSet::~FlareSet()
{
    if (images.textures[0] != 0) glDeleteTextures(k2d::kLensFlareTextures, images.textures);
}

bool loadFlareSet(Light& light, const char* path)
{
    FlareSet& set = light.flareSet;
    // Every light of a show names the same file: one that failed is not read again, so
    // it is reported once.
    if (filereports::Reported(path)) return false;
    if (!k2d::LoadLensFlares(path, set.images)) {
        filereports::FirstReport(path);
        return false;
    }
    for (int i = 0; i < FlareSet::kElements; ++i) set.elements[std::size_t(i)] = kFlareTable[i];
    set.loaded = true;
    return true;
}

void drawGlow(Light& light)
{
    if (!light.glowEnabled) return;
    probeLightVisibility(light);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_CULL_FACE);
    glDisable(GL_FOG);
    glPushMatrix();
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    Matrix4 view;
    for (int i = 0; i < 16; ++i) view.m[i] = m[i];
    // The quads are drawn in eye space, so they always face the viewer.
    const Vector3 p = transformPoint(view, light.point);
    glowBillboard(p, light.glowAngle1, light.glowTexture1, light.glowSize, light.colours.ambient);
    glowBillboard(p, light.glowAngle2, light.glowTexture2, light.glowSize, light.colours.ambient);
    glPopMatrix();
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
}

bool flareQuads(const Light& light, const Vector3& eye, const Vector3& target, FlareQuad (&quads)[FlareSet::kElements])
{
    const FlareSet& set = light.flareSet;
    if (!set.loaded || light.occluded || light.offscreen) return false;
    // The flare line runs from the point one unit ahead of the eye on the line of sight
    // to the point one unit from the eye towards the light. Unit vectors keep the quads'
    // sizes and spacing on the screen independent of how far target and light are.
    Vector3 d, v, rn;
    if (!direction(subtract(target, eye), d) || !direction(subtract(light.point, eye), v)) return false;
    const Vector3 centre = add(eye, d);           // projects to the view centre
    const Vector3 lightEnd = add(eye, v);         // projects to the light's pixel
    const Vector3 line = subtract(lightEnd, centre);
    // The quads are squares: one side along the line, the other across it and the line
    // of sight.
    Vector3 side;
    if (!direction(line, rn) || !direction(cross(rn, d), side)) return false;
    for (int i = 0; i < FlareSet::kElements; ++i) {
        const FlareElement& element = set.elements[std::size_t(i)];
        const float k = kFlareScale * element.size;
        const Vector3 u = scale(rn, k), w = scale(side, k);
        FlareQuad& quad = quads[i];
        quad.slot = element.slot;
        quad.centre = add(centre, scale(line, element.offset));
        quad.corners[0] = add(add(quad.centre, u), w);
        quad.corners[1] = add(subtract(quad.centre, u), w);
        quad.corners[2] = subtract(subtract(quad.centre, u), w);
        quad.corners[3] = subtract(add(quad.centre, u), w);
    }
    return true;
}

float flareDepthScale(const FlareQuad (&quads)[FlareSet::kElements], const Vector3& eye, const Vector3& target,
                      float nearPlane)
{
    const Vector3 ahead = normalize(subtract(target, eye));
    float nearest = 0;
    for (const FlareQuad& quad : quads)
        for (const Vector3& corner : quad.corners) {
            const float depth = dot(subtract(corner, eye), ahead);
            if (depth > 0 && (nearest == 0 || depth < nearest)) nearest = depth;
        }
    const float wanted = 1.25f * nearPlane;
    if (!(nearest > 0) || !(nearPlane > 0) || nearest >= wanted) return 1.0f;
    return wanted / nearest;
}

namespace {
// The near plane of a perspective projection matrix; 0 for any other projection.
float nearPlaneOf(const GLfloat (&p)[16])
{
    if (p[11] != -1.0f || p[10] == 1.0f) return 0.0f;
    return p[14] / (p[10] - 1.0f);
}

void scaleAboutEye(FlareQuad (&quads)[FlareSet::kElements], const Vector3& eye, float factor)
{
    auto moved = [&](const Vector3& v) { return add(eye, scale(subtract(v, eye), factor)); };
    for (FlareQuad& quad : quads) {
        quad.centre = moved(quad.centre);
        for (Vector3& corner : quad.corners) corner = moved(corner);
    }
}
}  // namespace

void drawFlares(const Light& light, const Vector3& eye, const Vector3& target)
{
    FlareQuad quads[FlareSet::kElements];
    if (!flareQuads(light, eye, target, quads)) return;
    // The flare line lies one unit in front of the eye, usually inside the near plane,
    // which would clip every flare. Scaled about the eye, the quads look exactly the same
    // on the screen, so they are moved out just beyond the near plane.
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    scaleAboutEye(quads, eye, flareDepthScale(quads, eye, target, nearPlaneOf(projection)));
    static constexpr float kTexCoords[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    glDisable(GL_DEPTH_TEST);
    glPushAttrib(GL_LIGHTING_BIT);
    // The flares keep their own colour: lighting is off until the attributes come back.
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    for (const FlareQuad& quad : quads) {
        glColor4f(1, 1, 1, 1);
        const int slot = quad.slot >= 0 && quad.slot < k2d::kLensFlareTextures ? quad.slot : 0;
        glBindTexture(GL_TEXTURE_2D, light.flareSet.images.textures[slot]);
        glBegin(GL_QUADS);
        for (int c = 0; c < 4; ++c) {
            glTexCoord2fv(kTexCoords[c]);
            const GLfloat vertex[3] = {quad.corners[c].x, quad.corners[c].y, quad.corners[c].z};
            glVertex3fv(vertex);
        }
        glEnd();
    }
    glEnable(GL_DEPTH_TEST);
    glPopAttrib();
    glDisable(GL_BLEND);
}
