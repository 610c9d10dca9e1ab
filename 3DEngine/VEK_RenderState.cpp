#include "VEK_RenderState.h"

namespace rgl {
namespace {
bool disabledForTest = false;
int activeUnit = 0;

struct BlendEntry {
    GLenum source, destination;
};
constexpr BlendEntry kBlendTable[] = {
    {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA},
    {GL_SRC_ALPHA, GL_ONE},
    {GL_ONE_MINUS_SRC_COLOR, GL_ONE},
    {GL_SRC_ALPHA, GL_DST_COLOR},
    {GL_SRC_ALPHA, GL_SRC_ALPHA},
    {GL_DST_ALPHA, GL_ONE},
    {GL_ONE, GL_SRC_ALPHA},
};
}  // namespace

MultitextureApi& Multitexture()
{
    static MultitextureApi api;
    return api;
}

bool HasMultitexture()
{
    const MultitextureApi& api = Multitexture();
    return !disabledForTest && api.activeTexture && api.multiTexCoord2f;
}

void SetMultitextureDisabled(bool disabled)
{
    if (disabled && HasMultitexture()) SelectTextureUnit(0);
    disabledForTest = disabled;
    activeUnit = 0;
}

bool SelectTextureUnit(int unit)
{
    if (!HasMultitexture()) return unit == 0;
    Multitexture().activeTexture(GLenum(GL_TEXTURE0_ARB + unit));
    activeUnit = unit;
    return true;
}

int ActiveTextureUnit() { return activeUnit; }

void TexCoord(int unit, float u, float v)
{
    if (HasMultitexture())
        Multitexture().multiTexCoord2f(GLenum(GL_TEXTURE0_ARB + unit), u, v);
    else if (unit == 0)
        glTexCoord2f(u, v);
}

bool BlendFactors(std::uint8_t index, GLenum& source, GLenum& destination)
{
    if (index >= sizeof kBlendTable / sizeof kBlendTable[0]) return false;
    source = kBlendTable[index].source;
    destination = kBlendTable[index].destination;
    return true;
}

void SetBlendByIndex(std::uint8_t index)
{
    GLenum source, destination;
    if (BlendFactors(index, source, destination)) glBlendFunc(source, destination);
}

void SetCombineByIndex(std::uint8_t index)
{
    switch (index) {
    case 0: SetTextureEnv(GL_MODULATE); break;
    case 1: SetTextureEnv(GL_ADD); break;
    case 2: SetTextureEnv(GL_BLEND); break;
    case 3: SetTextureEnv(GL_DECAL); break;
    case 4:
        // The texture colour scaled by the alpha of the environment colour.
        SetTextureEnv(GL_COMBINE_ARB);
        glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, GL_MODULATE);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB_ARB, GL_TEXTURE);
        glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB_ARB, GL_SRC_COLOR);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB_ARB, GL_CONSTANT_ARB);
        glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB_ARB, GL_SRC_ALPHA);
        break;
    default: break;
    }
}

void SetSphereMap(bool on)
{
    if (on) {
        glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    }
    SetTexGen(on);
}

void SetTexGen(bool on)
{
    SetEnabled(GL_TEXTURE_GEN_S, on);
    SetEnabled(GL_TEXTURE_GEN_T, on);
}

void SetTextureEnv(GLint mode) { glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, mode); }

void SetEnabled(GLenum capability, bool on)
{
    if (on)
        glEnable(capability);
    else
        glDisable(capability);
}

}  // namespace rgl
