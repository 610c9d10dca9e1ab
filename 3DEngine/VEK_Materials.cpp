#include "VEK_Materials.h"

#include "VEK_RenderState.h"
#include "vekPlatform.h"

namespace {
bool bumpTurnedLightingOff = false;   // the reset turns it on again
constexpr char kRuntimeErrorCaption[] = "Runtime Error";
constexpr char kNoTexture2Caption[] = "Runtime Error. No Texture #2 has been supplied. Review the .MAX";

void SetLightingMaterial(const Material& material)
{
    glColorMaterial(GL_FRONT, GL_AMBIENT);
    glColorMaterial(GL_FRONT, GL_DIFFUSE);
    glColorMaterial(GL_FRONT, GL_SPECULAR);
    glMaterialfv(GL_FRONT, GL_AMBIENT, material.colours.ambient.data());
    glMaterialfv(GL_FRONT, GL_SPECULAR, material.colours.specular.data());
    glMaterialfv(GL_FRONT, GL_DIFFUSE, material.colours.diffuse.data());
    glMaterialf(GL_FRONT, GL_SHININESS, material.shiny);
    // Emission is a single value that GL takes only as a colour; like the scenes were
    // made with, it does not change the picture, so no call is made for it.
    glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
}

void SetSecondUnitLighting(const Material& material, const Material& sub)
{
    rgl::SelectTextureUnit(1);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_SPECULAR);
    glColorMaterial(GL_FRONT, GL_AMBIENT);
    glColorMaterial(GL_FRONT, GL_DIFFUSE);
    glMaterialfv(GL_FRONT, GL_AMBIENT, sub.colours.ambient.data());
    glMaterialfv(GL_FRONT, GL_DIFFUSE, sub.colours.diffuse.data());
    glMaterialfv(GL_FRONT, GL_SPECULAR, sub.colours.specular.data());
    if (material.shiny != 0) glMaterialf(GL_FRONT, GL_SHININESS, sub.shiny);
    rgl::SelectTextureUnit(0);
    glEnable(GL_COLOR_MATERIAL);
}

void SetCombine(GLint function, GLint source0, GLint source1)
{
    rgl::SetTextureEnv(GL_COMBINE_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, function);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB_ARB, source0);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB_ARB, GL_SRC_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB_ARB, source1);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB_ARB, GL_SRC_COLOR);
}

// Path A: dot3 of the normal map (sub-material 1) with the light vectors in the vertex
// colours on unit 0, times the own texture on unit 1. False when the set-up ends early.
bool SetupBump(Material& material)
{
    glDisable(GL_COLOR_MATERIAL);
    // The light vectors travel as vertex colours: with lighting on, the lit colour would
    // take their place in the dot product.
    bumpTurnedLightingOff = glIsEnabled(GL_LIGHTING);
    glDisable(GL_LIGHTING);
    rgl::SelectTextureUnit(0);
    glEnable(GL_TEXTURE_2D);
    if (!material.hasSubMaterials) {
        ShowRuntimeErrorOnce(material, kBoxBumpWithoutTexture2);
        return false;
    }
    BindForId(material, 1);
    SetCombine(GL_DOT3_RGB_ARB, GL_TEXTURE, GL_PRIMARY_COLOR_ARB);
    rgl::SelectTextureUnit(1);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, material.textureName);
    SetCombine(GL_MODULATE, GL_PREVIOUS_ARB, GL_TEXTURE);
    return true;   // unit 1 stays active
}

// Path C: own texture on unit 0, sub-material 1's on unit 1 by its combine entry.
bool SetupMultipass(Material& material)
{
    rgl::SelectTextureUnit(0);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, material.textureName);
    rgl::SetSphereMap(material.env);
    rgl::SelectTextureUnit(1);
    glEnable(GL_TEXTURE_2D);
    const Material* sub = SubMaterial(material, 1);
    if (!material.hasSubMaterials || !sub) {
        ShowRuntimeErrorOnce(material, kBoxMultipassWithoutSub);
        return false;
    }
    glBindTexture(GL_TEXTURE_2D, sub->textureName);
    rgl::SetSphereMap(sub->env);
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, sub->txt2rgba);
    rgl::SetCombineByIndex(sub->combine);
    rgl::SelectTextureUnit(0);
    rgl::SetTextureEnv(GL_MODULATE);
    return true;
}

// Path D: the own texture on unit 0 only. False for a disabled material.
bool SetupSingle(const Material& material)
{
    if (rgl::SelectTextureUnit(1)) glDisable(GL_TEXTURE_2D);
    rgl::SelectTextureUnit(0);
    rgl::SetTextureEnv(GL_MODULATE);
    if (!material.enabled) {
        glDisable(GL_COLOR_MATERIAL);
        return false;
    }
    glEnable(GL_COLOR_MATERIAL);
    glBindTexture(GL_TEXTURE_2D, material.textureName);
    glEnable(GL_TEXTURE_2D);
    if (material.opacity < 1.0f) {
        glDepthMask(GL_FALSE);
        glEnable(GL_BLEND);
        glDisable(GL_LIGHTING);
        glColor4f(1, 1, 1, material.opacity);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    // The generation mode is whatever unit 0 was given last (sphere mapping by default).
    rgl::SetTexGen(material.env);
    return true;
}
}  // namespace

std::uint32_t UsableId(const Material& material, std::uint32_t id)
{
    if (id == 0 || id >= material.subMaterialCount || id >= Material::kSlots || !material.subMaterials[id]) return 0;
    return id;
}

const Material& ForId(const Material& material, std::uint32_t id)
{
    const std::uint32_t usable = UsableId(material, id);
    return usable == 0 ? material : *material.subMaterials[usable];
}

const Material* SubMaterial(const Material& material, std::uint32_t slot)
{
    if (!material.hasSubMaterials || slot == 0 || slot >= material.subMaterialCount || slot >= Material::kSlots)
        return nullptr;
    return material.subMaterials[slot].get();
}

void BindForId(const Material& material, std::uint32_t id)
{
    glBindTexture(GL_TEXTURE_2D, ForId(material, id).textureName);
}

bool SubOneIsEnv(const Material& material)
{
    const Material* sub = SubMaterial(material, 1);
    return sub && sub->env;
}

bool UsesTwoUnits(const Material& material) { return material.multipass && rgl::HasMultitexture(); }

void ShowRuntimeErrorOnce(Material& material, RuntimeErrorBox box)
{
    if (material.runtimeErrorsShown & box) return;
    material.runtimeErrorsShown |= box;
    plat::ShowMessage(box == kBoxBumpWithoutTexture2 ? kNoTexture2Caption : kRuntimeErrorCaption,
                      material.name.c_str());
}

void SetupMaterial(Material& material)
{
    if (material.twoside) glDisable(GL_CULL_FACE);
    const bool twoUnits = rgl::HasMultitexture();
    bool complete = true;
    if (material.bump && twoUnits)
        complete = SetupBump(material);
    else if (material.alpha && material.multipass && twoUnits)
        glEnable(GL_BLEND);
    else if (material.multipass && twoUnits)
        complete = SetupMultipass(material);
    else
        complete = SetupSingle(material);
    if (!complete) return;
    SetLightingMaterial(material);
    if (material.multipass && !material.alpha && !material.bump && twoUnits)
        if (const Material* sub = SubMaterial(material, 1)) SetSecondUnitLighting(material, *sub);
}

void SetupGloss(Material& material)
{
    rgl::SelectTextureUnit(0);
    const Material* sub = SubMaterial(material, 2);
    if (!sub) {
        ShowRuntimeErrorOnce(material, kBoxGlossWithoutSub);
        return;
    }
    glBindTexture(GL_TEXTURE_2D, sub->textureName);
    glEnable(GL_TEXTURE_2D);
    rgl::SetSphereMap(true);
    rgl::SetTextureEnv(GL_MODULATE);
}

void ResetMaterial(const Material& material)
{
    if (rgl::SelectTextureUnit(1)) {
        rgl::SetTexGen(false);
        glDisable(GL_TEXTURE_2D);
    }
    rgl::SelectTextureUnit(0);
    rgl::SetTextureEnv(GL_MODULATE);
    rgl::SetTexGen(false);
    if (material.twoside) glEnable(GL_CULL_FACE);
    if (bumpTurnedLightingOff) glEnable(GL_LIGHTING);
    bumpTurnedLightingOff = false;
    if (material.opacity < 1.0f) {
        glDisable(GL_BLEND);
        glDepthMask(GL_TRUE);
    }
    glEnable(GL_DEPTH_TEST);
}
