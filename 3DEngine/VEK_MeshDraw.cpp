#include "VEK_MeshDraw.h"

#include "VEK_Materials.h"
#include "VEK_RenderState.h"

#include <cstdlib>

namespace {
EmitterDrawer emitterDrawer = nullptr;

// A material for objects that the scene binds to none: plain white, lit.
Material& UnboundMaterial()
{
    static Material* material = [] {
        ColourSet colours;
        colours.ambient = {0.2f, 0.2f, 0.2f, 1.0f};
        colours.diffuse = {0.8f, 0.8f, 0.8f, 1.0f};
        colours.specular = {0.0f, 0.0f, 0.0f, 1.0f};
        auto* made = new Material("(no material)", -1, colours, 0.0f, 1.0f);
        made->enabled = true;
        return made;
    }();
    return *material;
}

// An axis as glRotatef gets it: each component truncated to an integer, then made
// positive; the turn direction lives in the accumulated angle.
void RotateByKey(const RotationKey& key)
{
    glRotatef(key.angle, float(std::abs(int(key.x))), float(std::abs(int(key.y))), float(std::abs(int(key.z))));
}

void Translate(const Vector3& v) { glTranslatef(v.x, v.y, v.z); }
void TranslateBack(const Vector3& v) { glTranslatef(-v.x, -v.y, -v.z); }

bool HasTracks(const SceneObject& object)
{
    return object.controller &&
           (object.hasPositionKeys || object.hasScaleKeys || object.hasRotationKeys || object.hasVertexSets);
}

// Samples the object's tracks for this frame and multiplies its transform onto the
// modelview: rotation about origin, position keys relative to the transform position,
// scaling about origin.
void ApplyObjectTransform(SceneObject& object)
{
    if (!HasTracks(object)) return;
    AnimController& controller = *object.controller;
    RotationKey rotation;
    Vector3 scaling;
    if (object.hasPositionKeys) object.currentPosition = controller.position();
    if (object.hasVertexSets) object.drawnVertexSet = controller.vertexSet();
    if (object.hasRotationKeys && !object.hasPositionKeys) object.currentPosition = object.origin;
    if (object.hasRotationKeys) rotation = controller.rotation();
    if (object.hasScaleKeys) scaling = controller.scale();

    const Vector3& p = object.origin;
    if (object.hasRotationKeys) {
        Translate(p);
        if (object.hasPositionKeys) Translate(object.currentPosition);
        RotateByKey(rotation);
        TranslateBack(p);
    } else if (object.hasPositionKeys) {
        Translate(object.currentPosition);
    }
    if (object.hasScaleKeys) {
        Translate(p);
        glScalef(scaling.x, scaling.y, scaling.z);
        TranslateBack(p);
    }
}

// Pushes one matrix per ancestor, farthest first, each with that ancestor's transform,
// then the object's own. PopObjectMatrices undoes it.
void PushObjectMatrices(SceneObject& object)
{
    glPushMatrix();
    for (std::uint32_t i = object.ancestorCount; i-- > 0;) {
        glPushMatrix();
        ApplyObjectTransform(*object.ancestors[i]);
    }
    ApplyObjectTransform(object);
}

void PopObjectMatrices(const SceneObject& object)
{
    for (std::uint32_t i = 0; i < object.ancestorCount; ++i) glPopMatrix();
    glPopMatrix();
}

// What the face passes of one object carry from face to face and pass to pass.
struct FacePass {
    SceneObject& object;
    const Material& material;
    std::uint32_t currentId = 0;
    bool translucent = false;
    float opacity = 1.0f;
    bool envMapped = false;
    bool twoUnits = false;
    bool unitOneCoords = false;   // texture coordinates go to unit 1 too
    bool sendCoords = true;

    FacePass(SceneObject& o, const Material& m) : object(o), material(m)
    {
        opacity = m.opacity;
        envMapped = m.env;
        twoUnits = UsesTwoUnits(m);
        const bool subEnv = SubOneIsEnv(m);
        if (!envMapped) {
            unitOneCoords = m.multipass && !subEnv && !m.alpha;
        } else if (twoUnits) {
            unitOneCoords = !subEnv;
        } else {
            sendCoords = false;   // sphere mapping generates them
        }
    }

    // A new sub-material id on a multi-material object: a new batch with its texture.
    void SwitchTo(std::uint32_t faceId)
    {
        if (faceId == currentId || !object.multiMaterial) return;
        currentId = faceId;
        glEnd();
        BindForId(material, currentId);
        glBegin(GL_TRIANGLES);
    }

    void Corner(std::uint32_t face, int corner) const
    {
        if (sendCoords) {
            const std::uint32_t t = object.textureFaces[corner][face];
            float u = 0, v = 0;
            if (t < object.textureVertexCount) {
                u = object.textureVertices[0][t];
                v = object.textureVertices[1][t];
            }
            rgl::TexCoord(0, u, v);
            if (unitOneCoords) rgl::TexCoord(1, u, v);
        }
    }

    std::uint32_t FaceId(const MeshFace& face) const { return UsableId(material, face.subMaterial); }

    // The opaque / translucent pass: sub-material switching and the switch into and out
    // of additive drawing, which follows the opacity of the face before.
    void DrawFaces()
    {
        const bool bump = material.bump;
        const bool faceted = material.faceted;
        const MeshVertex* vertices = object.vertices.data();
        glBegin(GL_TRIANGLES);
        for (std::uint32_t f = 0; f < object.faceCount; ++f) {
            const MeshFace& face = object.faces[f];
            SwitchTo(FaceId(face));
            if (opacity < 1.0f && !translucent) {
                glEnd();
                glEnable(GL_BLEND);
                glDisable(GL_DEPTH_TEST);
                glEnable(GL_ALPHA_TEST);
                glBlendFunc(GL_SRC_ALPHA, GL_ONE);
                glBegin(GL_TRIANGLES);
                glColor4f(opacity, opacity, opacity, opacity);
                translucent = true;
            } else if (opacity == 1.0f && translucent && !material.alpha) {
                glEnd();
                glDisable(GL_BLEND);
                glEnable(GL_DEPTH_TEST);
                translucent = false;
                glBegin(GL_TRIANGLES);
            }
            if (faceted) glNormal3fv(&face.normal.x);
            opacity = ForId(material, currentId).opacity;
            const std::uint32_t corners[3] = {face.a, face.b, face.c};
            for (int c = 0; c < 3; ++c) {
                const std::uint32_t v = corners[c];
                Corner(f, c);
                if (bump) glColor4fv(vertices[v].colour.data());
                if (!faceted) glNormal3fv(&vertices[v].normal.x);
                const Vector3 position = DrawnPosition(object, v);
                glVertex3fv(&position.x);
            }
        }
        glEnd();
    }

    // One pass of the alpha material: vertex colours (bump) or white at the id's opacity.
    void DrawAlphaFaces(bool withOpacityColour)
    {
        const MeshVertex* vertices = object.vertices.data();
        glBegin(GL_TRIANGLES);
        for (std::uint32_t f = 0; f < object.faceCount; ++f) {
            const MeshFace& face = object.faces[f];
            SwitchTo(FaceId(face));
            const std::uint32_t corners[3] = {face.a, face.b, face.c};
            for (int c = 0; c < 3; ++c) {
                const std::uint32_t v = corners[c];
                Corner(f, c);
                if (withOpacityColour)
                    glColor4f(1, 1, 1, ForId(material, currentId).opacity);
                else if (material.bump)
                    glColor4fv(vertices[v].colour.data());
                glNormal3fv(&vertices[v].normal.x);
                const Vector3 position = DrawnPosition(object, v);
                glVertex3fv(&position.x);
            }
        }
        glEnd();
    }
};

void DrawWireframe(SceneObject& object, const Material& material)
{
    glLineWidth(material.wireSize);
    for (std::uint32_t f = 0; f < object.faceCount; ++f) {
        const MeshFace& face = object.faces[f];
        glBegin(GL_LINE_LOOP);
        for (std::uint32_t v : {face.a, face.b, face.c}) {
            glColor3f(1, 1, 1);
            const Vector3 position = DrawnPosition(object, v);
            glVertex3fv(&position.x);
        }
        glEnd();
    }
    PopObjectMatrices(object);
}

void DrawAlphaMaterial(SceneObject& object, Material& material)
{
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glEnable(GL_DEPTH_TEST);
    if (material.glossalpha && rgl::HasMultitexture()) {
        rgl::SelectTextureUnit(0);
        glBindTexture(GL_TEXTURE_2D, material.textureName);
        rgl::SetTextureEnv(GL_COMBINE_ARB);
        rgl::SelectTextureUnit(1);
        if (const Material* sub = SubMaterial(material, 2)) {
            glBindTexture(GL_TEXTURE_2D, sub->textureName);
            glEnable(GL_TEXTURE_2D);
            rgl::SetTextureEnv(GL_COMBINE_ARB);
            rgl::SetSphereMap(true);
        } else {
            ShowRuntimeErrorOnce(material, kBoxGlossAlphaWithoutSub);
        }
        rgl::SelectTextureUnit(0);
    } else {
        glBindTexture(GL_TEXTURE_2D, material.textureName);
    }
    FacePass pass(object, material);
    pass.DrawAlphaFaces(false);
    pass.DrawAlphaFaces(true);
    PopObjectMatrices(object);
    glDepthMask(GL_TRUE);
    ResetMaterial(material);
    glEnable(GL_ALPHA_TEST);
}

void DrawImpostorQuad()
{
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1);
    glVertex2f(-400, 400);
    glTexCoord2f(1, 1);
    glVertex2f(400, 400);
    glTexCoord2f(1, 0);
    glVertex2f(400, -400);
    glTexCoord2f(0, 0);
    glVertex2f(-400, -400);
    glEnd();
}

// A square of 800 units facing the viewer at the object's position in eye space.
void DrawImpostor(SceneObject& object, const Material& material)
{
    for (GLenum capability : {GL_CULL_FACE, GL_LIGHTING, GL_COLOR_MATERIAL, GL_DEPTH_TEST}) glDisable(capability);
    glDepthMask(GL_FALSE);
    glPushMatrix();
    Matrix4 view;
    glGetFloatv(GL_MODELVIEW_MATRIX, view.m);
    glLoadIdentity();
    AnimController* controller = object.controller;
    Vector3 position = object.position;
    if (object.hasPositionKeys && controller) position = controller->position();
    Translate(transformPoint(view, position));
    if (object.hasScaleKeys && controller) {
        const Vector3& s = controller->scale();
        glScalef(s.x, s.y, s.z);
    }
    if (object.hasRotationKeys && controller) RotateByKey(controller->rotation());
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    if (material.alpha) {
        glBlendFunc(GL_DST_COLOR, GL_ZERO);
        BindForId(material, 1);
        glColor4f(1, 1, 1, 0.4f);
        DrawImpostorQuad();
        glBlendFunc(GL_ONE, GL_ONE);
        glBindTexture(GL_TEXTURE_2D, material.textureName);
        glColor4f(1, 1, 1, 1);
        DrawImpostorQuad();
    } else {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glBindTexture(GL_TEXTURE_2D, material.textureName);
        glColor4f(1, 1, 1, material.opacity);
        DrawImpostorQuad();
    }
    glDepthMask(GL_TRUE);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glPopMatrix();
}

// Opaque and translucent objects: the face pass, the gloss pass of bump materials, the reset.
void DrawSolid(SceneObject& object, Material& material)
{
    FacePass pass(object, material);
    if (pass.opacity < 1.0f) {
        pass.translucent = true;
        glEnable(GL_BLEND);
        rgl::SetBlendByIndex(material.blendfunc);
        glColor4f(material.colours.ambient[0], material.colours.ambient[1], material.colours.ambient[2], pass.opacity);
    } else if (!material.alpha) {
        glDisable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
    } else {
        DrawAlphaMaterial(object, material);
        return;
    }
    pass.DrawFaces();
    if (material.bump && material.glossbump) {
        SetupGloss(material);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
        pass.DrawFaces();
    }
    ResetMaterial(material);
    PopObjectMatrices(object);
}
}  // namespace

Vector3 DrawnPosition(const SceneObject& object, std::uint32_t i)
{
    if (object.drawnVertexSet && i < object.drawnVertexSet->size()) {
        // Morph frames keep the file's Z-up axes; the mesh is drawn in (x, z, -y).
        const scenefile::Vec3& p = (*object.drawnVertexSet)[i];
        return Vector3(p.x, p.z, -p.y);
    }
    return object.vertices[i].position;
}

void SetEmitterDrawer(EmitterDrawer drawer) { emitterDrawer = drawer; }

void DrawObject(SceneObject& object)
{
    if (!object.enabled) return;
    Material& material = object.material ? *object.material : UnboundMaterial();
    SetupMaterial(material);
    if (object.impostor) {
        DrawImpostor(object, material);
        return;
    }
    PushObjectMatrices(object);
    if (object.isEmitter) {
        if (emitterDrawer) emitterDrawer(object);
        PopObjectMatrices(object);
        return;
    }
    if (material.wire) {
        DrawWireframe(object, material);
        return;
    }
    DrawSolid(object, material);
}

void UpdateLightVectors(SceneObject& object, const Vector3& lightPosition)
{
    Matrix4 view;
    glGetFloatv(GL_MODELVIEW_MATRIX, view.m);
    const Vector3 light = transformPoint(rigidInverse(view), lightPosition);
    for (std::uint32_t i = 0; i < object.vertexCount; ++i) {
        Vector3 d = subtract(light, DrawnPosition(object, i));
        normalizeWithLength(d);
        d.y = -d.y;
        object.vertices[i].colour = {0.5f * d.x + 0.5f, 0.5f * d.y + 0.5f, 0.5f * d.z + 0.5f, 1.0f};
    }
}

void UpdateEyeDistance(SceneObject& object, const Vector3& eye)
{
    const Material* material = object.material;
    if (!material || !(material->opacity < 1.0f || material->alpha)) return;
    float nearest = 999999.0f;
    for (std::uint32_t i = 0; i < object.vertexCount; ++i) {
        const Vector3 d = subtract(eye, DrawnPosition(object, i));
        const float squared = dot(d, d);
        if (squared < nearest) nearest = squared;
    }
    object.eyeDistance = nearest;
}
