#include "VEK_EngineScript.h"

#include "VEK_Camera.h"
#include "VEK_Fog.h"
#include "VEK_Flares.h"
#include "VEK_Lights.h"
#include "VEK_Particle_Emit.h"
#include "VEK_Transparency.h"
#include "VEK_Scene.h"
#include "VEK_Textures.h"

#include <GL/gl.h>
#include <tinyxml.h>

#include <cstdlib>
#include <vector>

void ScriptLog::line(const std::string& text)
{
    std::FILE* file = std::fopen(fileName_.c_str(), lines_ == 0 ? "w" : "a");
    if (!file) return;
    std::fprintf(file, "%s\n", text.c_str());
    std::fclose(file);
    ++lines_;
}

namespace {

constexpr int kDefaultMaxParts = 100;   // a particle element without maxparts

// Reads one element's attributes for one record and reports what it sets.
class Reader {
public:
    Reader(Scene& scene, const TiXmlElement& element, std::string record, ScriptLog& log, const ScriptOptions& options)
        : scene_(scene), element_(element), record_(std::move(record)), log_(log), options_(options)
    {
    }
    const char* text(const char* key) const { return element_.Attribute(key); }
    bool has(const char* key) const { return text(key) != nullptr; }
    void report(const char* key, const std::string& value) const
    {
        if (options_.trace) options_.trace(record_, key, value);
    }
    template <typename T>
    bool number(const char* key, T& field) const
    {
        const char* value = text(key);
        if (!value) return false;
        if constexpr (std::is_same_v<T, bool>) field = std::atoi(value) != 0;
        else if constexpr (std::is_floating_point_v<T>) field = T(std::atof(value));
        else field = T(std::atoi(value));
        report(key, value);
        return true;
    }
    // True when every key is given; otherwise one line per missing key.
    bool required(std::initializer_list<const char*> keys) const
    {
        bool all = true;
        for (const char* key : keys)
            if (!has(key)) {
                all = false;
                log_.line("scene \"" + scene_.name + "\": <" + element_.Value() + "> of " + record_ +
                          " lacks the required attribute \"" + key + "\"; the field keeps its value.");
            }
        return all;
    }
    float f(const char* key) const { return float(std::atof(text(key))); }
    void colour(Colour& target) const
    {
        if (!required({"r", "g", "b"})) return;
        target = {f("r"), f("g"), f("b"), 1.0f};
        report(element_.Value(), std::string(text("r")) + " " + text("g") + " " + text("b"));
    }
    const ScriptOptions& options() const { return options_; }
    Scene& scene() const { return scene_; }
    ScriptLog& log() const { return log_; }
    const std::string& record() const { return record_; }

private:
    Scene& scene_;
    const TiXmlElement& element_;
    std::string record_;
    ScriptLog& log_;
    const ScriptOptions& options_;
};

void LogUnknown(Scene& scene, ScriptLog& log, const char* element, const char* name, const char* kind)
{
    log.line("scene \"" + scene.name + "\": <" + element + " name=\"" + (name ? name : "") + "\"> names no " + kind +
             " of the scene; skipped.");
}

template <typename Each>
void Children(const TiXmlElement& parent, const char* name, Each each)
{
    for (const TiXmlElement* child = parent.FirstChildElement(name); child; child = child->NextSiblingElement(name))
        each(*child);
}

Reader Child(const Reader& parent, const TiXmlElement& element)
{
    return Reader(parent.scene(), element, parent.record(), parent.log(), parent.options());
}

void ApplyCamera(Camera& camera, const Reader& in, const TiXmlElement& element)
{
    if (in.has("current")) {
        in.scene().activeCamera = &camera;
        in.report("current", "active camera");
    }
    in.number("gravity", camera.gravity);
    in.number("fov", camera.fov);
    in.number("walltest", camera.wallTest);
    float r;
    if (in.number("radius", r)) {
        camera.distance = r;
        camera.halfDistance = r / 2;
        camera.nearDistance = r / 1.8f;
        camera.gravityVector = Vector3(0, r / 1.7f, 0);
        camera.jumpSpeed = r * 4;
        camera.collisionRadius[0] = r / 1.3f;
        camera.collisionRadius[1] = camera.collisionRadius[0] - camera.collisionRadius[0] / 128;
        camera.collisionRadius[2] = camera.collisionRadius[0] / 2;
    }
    float jump;
    if (in.number("jumpforce", jump)) camera.jumpSpeed = jump * camera.distance;
    if (in.has("x") && in.f("x") > -100.0f && in.required({"y", "width", "height"})) {
        camera.viewport[0] = in.f("x");
        camera.viewport[1] = in.f("y");
        camera.viewport[2] = in.f("width");
        camera.viewport[3] = in.f("height");
        in.report("viewport", std::string(in.text("x")) + " " + in.text("y") + " " + in.text("width") + " " +
                                  in.text("height"));
    }
    if (const TiXmlElement* hit = element.FirstChildElement("hitcam")) {
        Reader h = Child(in, *hit);
        if (h.required({"p", "q", "speed"})) {
            BuildSweep(camera, int(h.f("p")), int(h.f("q")), int(h.f("speed")));
            h.report("hitcam", std::string(h.text("p")) + " " + h.text("q") + " " + h.text("speed"));
        }
    }
    if (const TiXmlElement* force = element.FirstChildElement("gravityforce")) {
        Reader g = Child(in, *force);
        if (g.required({"x", "y", "z"})) {
            camera.gravityVector = Vector3(g.f("x") / camera.halfDistance, g.f("y") / camera.halfDistance,
                                           g.f("z") / camera.halfDistance);
            g.report("gravityforce", std::string(g.text("x")) + " " + g.text("y") + " " + g.text("z"));
        }
    }
    if (const TiXmlElement* fog = element.FirstChildElement("fogosity")) {
        Reader g = Child(in, *fog);
        camera.fogEnabled = true;
        g.report("fogosity", "on");
        g.number("start", camera.fogStart);
        g.number("end", camera.fogEnd);
        g.number("density", camera.fogDensity);
        int mode;
        if (g.number("mode", mode)) camera.fogMode = FogModeFromScript(mode, camera.fogMode);
        g.number("r", camera.fogColour[0]);
        g.number("g", camera.fogColour[1]);
        g.number("b", camera.fogColour[2]);
    }
}

void ApplySpot(Light& light, const Reader& in)
{
    if (!in.options().applyEffects) return;
    const GLenum gl = GLenum(light.glLight);
    glLightf(gl, GL_SPOT_EXPONENT, light.spotExponent);
    glLightf(gl, GL_SPOT_CUTOFF, light.spotCutoff);
    glEnable(gl);
}

void ApplyLight(Light& light, const Reader& in, const TiXmlElement& element)
{
    float attenuation;
    if (in.number("attenuation", attenuation)) light.baseAttenuation = light.currentAttenuation = attenuation;
    int mode;
    if (in.number("attenuationmode", mode))
        light.attenuationMode = mode == 2   ? GL_CONSTANT_ATTENUATION
                                : mode == 3 ? GL_LINEAR_ATTENUATION
                                : mode == 4 ? GL_QUADRATIC_ATTENUATION
                                            : mode;
    in.number("glowstep", light.glowStep);
    if (in.number("anglecut", light.spotCutoff)) ApplySpot(light, in);
    if (in.number("angleexp", light.spotExponent)) ApplySpot(light, in);
    in.number("useflare", light.glowEnabled);
    if (in.has("uselensflares")) {
        in.report("uselensflares", "./escena/lens.k2d");
        if (in.options().applyEffects) loadFlareSet(light, kLensFlarePath);
    }
    in.number("flaresize", light.glowMax);
    in.number("infsize", light.glowMin);
    if (const TiXmlElement* block = element.FirstChildElement("blocklight")) {
        Reader b = Child(in, *block);
        if (b.required({"incstep", "decstep", "limitsup"})) {
            light.blockLight = true;
            b.number("incstep", light.incStep);
            b.number("decstep", light.decStep);
            b.number("limitsup", light.limitSup);
        }
    }
    if (const TiXmlElement* c = element.FirstChildElement("diffuse")) Child(in, *c).colour(light.colours.diffuse);
    if (const TiXmlElement* c = element.FirstChildElement("ambient")) Child(in, *c).colour(light.colours.ambient);
    if (const TiXmlElement* c = element.FirstChildElement("specular")) Child(in, *c).colour(light.colours.specular);
}

void ApplyColours(ColourSet& colours, const Reader& in, const TiXmlElement& element)
{
    if (const TiXmlElement* c = element.FirstChildElement("diffuse")) Child(in, *c).colour(colours.diffuse);
    if (const TiXmlElement* c = element.FirstChildElement("ambient")) Child(in, *c).colour(colours.ambient);
    if (const TiXmlElement* c = element.FirstChildElement("specular")) Child(in, *c).colour(colours.specular);
}

void ApplySubMaterial(Material& material, const Reader& parent, const TiXmlElement& element)
{
    Material* target = &material;
    const char* name = element.Attribute("name");
    for (std::uint32_t slot = 1; name && slot < material.subMaterialCount && slot < Material::kSlots; ++slot)
        if (Material* sub = material.slot(slot); sub && sub->name == name) target = sub;
    Reader in(parent.scene(), element, target == &material ? parent.record() : "sub-material " + target->name,
              parent.log(), parent.options());
    in.number("opacity", target->opacity);
    in.number("shiny", target->shiny);
    in.number("env", target->env);
    in.number("combine", target->combine);
    in.number("blendfunc", target->subMaterialBlend);   // kept apart: drawing reads blendfunc
    in.number("emission", target->emission);
    if (const TiXmlElement* t = element.FirstChildElement("txt2rgba")) {
        Reader c = Child(in, *t);
        if (c.required({"r", "g", "b", "a"})) {
            const char* keys[4] = {"r", "g", "b", "a"};
            for (int i = 0; i < 4; ++i) c.number(keys[i], target->txt2rgba[i]);
        }
    }
    ApplyColours(target->colours, in, element);
}

void ApplyMaterial(Material& material, const Reader& in, const TiXmlElement& element)
{
    in.number("shiny", material.shiny);
    in.number("blendfunc", material.blendfunc);
    int use;
    if (in.number("use", use)) material.enabled = use != 0;
    in.number("env", material.env);
    in.number("opacity", material.opacity);
    in.number("bump", material.bump);
    in.number("multipass", material.multipass);
    in.number("glossalpha", material.glossalpha);
    in.number("glossbump", material.glossbump);
    in.number("combine", material.combine);
    if (in.has("twoside")) {
        material.twoside = true;
        in.report("twoside", "on");
    }
    in.number("faceted", material.faceted);
    if (in.number("alpha", material.alpha) && in.options().applyEffects) MergeAlpha(material);
    in.number("emission", material.emission);
    Children(element, "submaterial", [&](const TiXmlElement& sub) { ApplySubMaterial(material, in, sub); });
    if (const TiXmlElement* wire = element.FirstChildElement("wire")) {
        Reader w = Child(in, *wire);
        if (w.required({"r", "g", "b"})) {
            material.wire = true;
            material.baseColours.ambient = {w.f("r"), w.f("g"), w.f("b"), 1.0f};
            w.report("wire", std::string(w.text("r")) + " " + w.text("g") + " " + w.text("b"));
            w.number("size", material.wireSize);
        }
    }
    ApplyColours(material.colours, in, element);
}

void ApplyParticle(SceneObject& object, const Reader& in, const TiXmlElement& element)
{
    object.isEmitter = true;
    in.report("particle", "emitter");
    ParticleSettings settings = ReadParticleSettings(element);
    if (!element.Attribute("maxparts")) settings.maxParts = kDefaultMaxParts;
    if (!settings.fileName.empty()) in.report("filename", settings.fileName);
    if (settings.import)
        in.report("texture", std::to_string(settings.textureFiles.size()) + " images packed into " + settings.fileName);
    if (!in.options().applyEffects) {   // set-ups only: no packing, no images, no pool
        settings.fileName.clear();
        settings.import = false;
    }
    ConfigureEmitter(object.emitter, settings, object.transformPosition);
}

void ApplyRegion(SceneObject& object, const Reader& parent, const TiXmlElement& element)
{
    Reader in = Child(parent, element);
    if (!object.controller) {
        parent.log().line("scene \"" + parent.scene().name + "\": <animregion> of " + parent.record() +
                          ": the object is not animated; skipped.");
        return;
    }
    const char* name = in.text("name");
    std::int32_t start = 0, end = 100, loops = 0;
    bool loop = false, forward = true;
    in.number("start", start);
    in.number("end", end);
    in.number("loop", loop);
    in.number("nloops", loops);
    in.number("forward", forward);
    object.controller->addRegion(name ? name : "", std::uint32_t(start), std::uint32_t(end), loop, loops, forward);
    in.report("animregion", std::string(name ? name : "") + " " + std::to_string(start) + ".." + std::to_string(end) +
                                " loops " + std::to_string(loops) + (forward ? " forward" : " backward"));
}

void ApplyObject(SceneObject& object, const Reader& in, const TiXmlElement& element)
{
    if (in.has("impostor")) {
        object.impostor = true;
        in.report("impostor", "on");
    }
    in.number("S", object.S);
    in.number("D", object.D);
    if (const TiXmlElement* particle = element.FirstChildElement("particle"))
        ApplyParticle(object, Child(in, *particle), *particle);
    if (in.options().applyEffects) partitionTransparent(in.scene());
    Children(element, "animregion", [&](const TiXmlElement& region) { ApplyRegion(object, in, region); });
}
}  // namespace

void ApplyScript(Scene& scene, const TiXmlElement& sceneElement, ScriptLog& log, const ScriptOptions& options)
{
    Reader self(scene, sceneElement, "scene " + scene.name, log, options);
    self.number("near", scene.near);
    self.number("far", scene.far);
    self.number("showfps", scene.showFps);
    self.number("fps", scene.updateRate);
    Children(sceneElement, "camera", [&](const TiXmlElement& element) {
        const char* name = element.Attribute("name");
        Camera* camera = name ? scene.findCamera(name) : nullptr;
        if (!camera) return LogUnknown(scene, log, "camera", name, "camera");
        ApplyCamera(*camera, Reader(scene, element, "camera " + camera->name, log, options), element);
    });
    Children(sceneElement, "light", [&](const TiXmlElement& element) {
        const char* name = element.Attribute("name");
        OmniLight* light = name ? scene.findOmniLight(name) : nullptr;
        if (!light) return LogUnknown(scene, log, "light", name, "omni light");
        ApplyLight(*light, Reader(scene, element, "light " + light->name, log, options), element);
    });
    Children(sceneElement, "material", [&](const TiXmlElement& element) {
        const char* name = element.Attribute("name");
        Material* material = name ? scene.findMaterial(name) : nullptr;
        if (!material) return LogUnknown(scene, log, "material", name, "material");
        ApplyMaterial(*material, Reader(scene, element, "material " + material->name, log, options), element);
    });
    if (options.applyEffects) partitionTransparent(scene);
    Children(sceneElement, "object", [&](const TiXmlElement& element) {
        const char* name = element.Attribute("name");
        SceneObject* object = name ? scene.findObject(name) : nullptr;
        if (!object) return LogUnknown(scene, log, "object", name, "object");
        ApplyObject(*object, Reader(scene, element, "object " + object->name, log, options), element);
    });
}
