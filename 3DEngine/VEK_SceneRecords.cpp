#include "VEK_SceneRecords.h"

#include <cmath>

RecordGLHooks& GLHooks()
{
    static RecordGLHooks hooks;
    return hooks;
}

// ---- Camera ---------------------------------------------------------------------------

float Camera::ReferenceDistance(const Vector3& p, const Vector3& t)
{
    return std::sqrt(absolute(p.x - t.x) + absolute(p.y - t.y) + absolute(p.z - t.z));
}

Camera::Camera(const std::string& name, const Vector3& position, const Vector3& targetPoint,
               const RotationKey& rotationKey, float fieldOfView)
    : Thing(name), fov(fieldOfView), eye(position), target(targetPoint), rotation(rotationKey)
{
    type = kThingCamera;
    const float d = ReferenceDistance(position, targetPoint);
    distance = d;
    fogEnd = d / 2;
    nearDistance = d / 1.8f;
    halfDistance = d / 2;
    jumpSpeed = d * 8.6f;
    gravityVector = Vector3(0, d / 10.7f, 0);
    startHeight = position.y;
    viewEye = eye;
    viewTarget = target;
    viewUp = Vector3(0, 1, 0);
}

void Camera::attachNodeController(AnimController* controller)
{
    nodeController = controller;
    hasNodeKeys = controller != nullptr;
}

void Camera::attachTargetController(AnimController* controller)
{
    targetController = controller;
    hasTargetKeys = controller != nullptr;
}

void Camera::attachFovController(AnimController* controller)
{
    fovController = controller;
    hasFovKeys = controller != nullptr;
}

// ---- SceneObject ----------------------------------------------------------------------

SceneObject::SceneObject(std::uint8_t objectId, const std::string& name, const std::string& parent,
                         const Vector3& transform, const RotationKey& rotationKey, std::uint32_t vertexCount_,
                         std::uint32_t faceCount_)
    : Thing(name),
      parentName(parent),
      hasParent(!parent.empty()),
      id(objectId),
      transformPosition(transform),
      origin(transform),
      position(scale(transform, -2.0f)),
      rotation(rotationKey),
      vertices(vertexCount_),
      faces(faceCount_),
      vertexCount(vertexCount_),
      faceCount(faceCount_)
{
    type = kThingObject;
    position.w = transform.w;
    drawnVertices = vertices.data();
}

void SceneObject::attachController(AnimController* animController)
{
    controller = animController;
    hasPositionKeys = controller && controller->hasPosition();
    hasRotationKeys = controller && controller->hasRotation();
    hasScaleKeys = controller && controller->hasScale();
    hasVertexSets = controller && controller->hasVertexSets();
}

bool SceneObject::addAncestor(SceneObject* ancestor)
{
    if (ancestorCount >= kMaxAncestors) return false;
    ancestors[ancestorCount++] = ancestor;
    return true;
}

// ---- Material -------------------------------------------------------------------------

Material::Material(const std::string& name, std::int32_t materialIndex, const ColourSet& loaded, float shininess,
                   float materialOpacity)
    : Thing(name), colours(loaded), baseColours(loaded), opacity(materialOpacity), shiny(shininess), index(materialIndex)
{
    if (GLHooks().checkCapabilities) GLHooks().checkCapabilities(*this);
}

void Material::setSubMaterial(std::uint32_t slotNumber, Material* material)
{
    std::unique_ptr<Material> owned(material);
    if (slotNumber == 0 || slotNumber >= kSlots) return;
    subMaterials[slotNumber] = std::move(owned);
}

void Material::setSlots(bool multi, std::uint32_t count)
{
    hasSubMaterials = multi;
    subMaterialCount = multi ? count : 1;
}

Material* Material::slot(std::uint32_t slotNumber)
{
    if (slotNumber == 0) return this;
    return slotNumber < kSlots ? subMaterials[slotNumber].get() : nullptr;
}

void Material::setTextureFile(std::uint32_t slotNumber, const std::string& fileName)
{
    Material* target = slot(slotNumber);
    if (!target) return;
    target->image.fileName = fileName;
    if (GLHooks().loadTexture) GLHooks().loadTexture(target->image, fileName);
}

// ---- Lights ---------------------------------------------------------------------------

Light::Light(const std::string& name, const float colour[3], float attenuation, const Vector3& lightPoint,
             std::int32_t glLightNumber)
    : Thing(name),
      currentAttenuation(attenuation),
      baseAttenuation(attenuation),
      glLight(glLightNumber),
      point(lightPoint)
{
    for (int i = 0; i < 3; ++i) {
        colours.ambient[i] = colour[i];
        colours.diffuse[i] = colour[i] * 1.15f;
        colours.specular[i] = colour[i] * 1.25f;
    }
    colours.ambient[3] = colours.diffuse[3] = colours.specular[3] = 1.0f;
}

void Light::attachPositionController(AnimController* controller)
{
    positionController = controller;
    hasPositionKeys = controller != nullptr;
}

void Light::attachTargetController(AnimController* controller)
{
    targetController = controller;
    hasTargetKeys = controller != nullptr;
}

TargetLight::TargetLight(const std::string& name, const float colour[3], float attenuation, const Vector3& target,
                         const Vector3& lightPosition, std::int32_t glLightNumber)
    : Light(name, colour, attenuation, target, glLightNumber), position(lightPosition)
{
}
