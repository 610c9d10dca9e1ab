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

#include <cstdio>
#include <cstdlib>
#include <type_traits>

void ScriptLog::line(const std::string& text)
{
    ++lines_;
    if (sink_) return sink_(text);
    std::FILE* file = std::fopen(fileName_.c_str(), lines_ == 1 ? "w" : "a");
    if (!file) return;
    std::fprintf(file, "%s\n", text.c_str());
    std::fclose(file);
}

namespace {

constexpr int kDefaultMaxParts = 100;   // a particle element without maxparts

std::string Shown(bool value) { return value ? "on" : "off"; }
std::string Shown(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", double(value));
    return text;
}
template <typename T>
std::string Shown(T value) { return std::to_string(value); }

// Values as one text, separated by blanks.
template <typename... T>
std::string Shown(T... values)
{
    std::string text;
    ((text += (text.empty() ? "" : " ") + Shown(values)), ...);
    return text;
}

// "name value, name value, ...".
std::string Fields(std::initializer_list<std::pair<const char*, std::string>> fields)
{
    std::string text;
    for (const auto& [name, value] : fields) text += (text.empty() ? "" : ", ") + std::string(name) + " " + value;
    return text;
}

std::string FogModeName(GLenum mode)
{
    switch (mode) {
    case GL_LINEAR: return "GL_LINEAR";
    case GL_EXP: return "GL_EXP";
    case GL_EXP2: return "GL_EXP2";
    default: return Shown(int(mode));
    }
}

// Reads one element's attributes for one record and reports what it sets.
class Reader {
public:
    Reader(Scene& scene, const TiXmlElement& element, const Thing& record, std::string label, ScriptLog& log,
           const ScriptOptions& options)
        : scene_(scene), element_(element), record_(record), label_(std::move(label)), log_(log), options_(options)
    {
    }
    const char* text(const char* key) const { return element_.Attribute(key); }
    bool has(const char* key) const { return text(key) != nullptr; }
    void report(const char* key, const std::string& value) const
    {
        if (options_.trace) options_.trace(record_, key, value);
    }
    // Converts the attribute into field when it is given (atof, atoi; a switch is an
    // integer that is on when not 0).
    template <typename T>
    bool read(const char* key, T& field) const
    {
        const char* value = text(key);
        if (!value) return false;
        if constexpr (std::is_same_v<T, bool>) field = std::atoi(value) != 0;
        else if constexpr (std::is_floating_point_v<T>) field = T(std::atof(value));
        else field = T(std::atoi(value));
        return true;
    }
    // read, and report the value taken.
    template <typename T>
    bool number(const char* key, T& field) const
    {
        if (!read(key, field)) return false;
        report(key, Shown(field));
        return true;
    }
    // True when every key is given; otherwise one line per missing key.
    bool required(std::initializer_list<const char*> keys) const
    {
        bool all = true;
        for (const char* key : keys)
            if (!has(key)) {
                all = false;
                log_.line("scene \"" + scene_.name + "\": <" + element_.Value() + "> of " + label_ +
                          " lacks the required attribute \"" + key + "\"; the field keeps its value.");
            }
        return all;
    }
    float f(const char* key) const { return float(std::atof(text(key))); }
    void colour(Colour& target) const
    {
        if (!required({"r", "g", "b"})) return;
        target = {f("r"), f("g"), f("b"), 1.0f};
        report(element_.Value(), Shown(target[0], target[1], target[2]));
    }
    // A reader for a child element of the same record.
    Reader child(const TiXmlElement& element) const { return Reader(scene_, element, record_, label_, log_, options_); }
    const ScriptOptions& options() const { return options_; }
    Scene& scene() const { return scene_; }
    ScriptLog& log() const { return log_; }
    const std::string& label() const { return label_; }

private:
    Scene& scene_;
    const TiXmlElement& element_;
    const Thing& record_;
    std::string label_;   // "camera Camera01", for the log
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

void ApplyCamera(Camera& camera, const Reader& in, const TiXmlElement& element)
{
    if (in.has("current")) {
        in.scene().activeCamera = &camera;
        in.report("current", "the active camera");
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
        const float* v = camera.viewport;
        in.report("viewport", Fields({{"x", Shown(v[0])}, {"y", Shown(v[1])}, {"width", Shown(v[2])}, {"height", Shown(v[3])}}));
    }
    if (const TiXmlElement* hit = element.FirstChildElement("hitcam")) {
        Reader h = in.child(*hit);
        if (h.required({"p", "q", "speed"})) {
            const int p = int(h.f("p")), q = int(h.f("q")), speed = int(h.f("speed"));
            BuildSweep(camera, p, q, speed);
            h.report("hitcam", Fields({{"p", Shown(p)}, {"q", Shown(q)}, {"speed", Shown(speed)}}));
        }
    }
    if (const TiXmlElement* force = element.FirstChildElement("gravityforce")) {
        Reader g = in.child(*force);
        if (g.required({"x", "y", "z"})) {
            camera.gravityVector = Vector3(g.f("x") / camera.halfDistance, g.f("y") / camera.halfDistance,
                                           g.f("z") / camera.halfDistance);
            const Vector3& v = camera.gravityVector;
            g.report("gravityforce", "gravity vector " + Shown(v.x, v.y, v.z));
        }
    }
    if (const TiXmlElement* fog = element.FirstChildElement("fogosity")) {
        Reader g = in.child(*fog);
        camera.fogEnabled = true;
        g.read("start", camera.fogStart);
        g.read("end", camera.fogEnd);
        g.read("density", camera.fogDensity);
        int mode;
        if (g.read("mode", mode)) camera.fogMode = FogModeFromScript(mode, camera.fogMode);
        g.read("r", camera.fogColour[0]);
        g.read("g", camera.fogColour[1]);
        g.read("b", camera.fogColour[2]);
        const Colour& c = camera.fogColour;
        g.report("fogosity", Fields({{"on, mode", FogModeName(camera.fogMode)}, {"start", Shown(camera.fogStart)},
                                     {"end", Shown(camera.fogEnd)}, {"density", Shown(camera.fogDensity)},
                                     {"colour", Shown(c[0], c[1], c[2])}}));
    }
}

void ApplyColours(ColourSet& colours, const Reader& in, const TiXmlElement& element)
{
    if (const TiXmlElement* c = element.FirstChildElement("diffuse")) in.child(*c).colour(colours.diffuse);
    if (const TiXmlElement* c = element.FirstChildElement("ambient")) in.child(*c).colour(colours.ambient);
    if (const TiXmlElement* c = element.FirstChildElement("specular")) in.child(*c).colour(colours.specular);
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
        in.report("uselensflares", kLensFlarePath);
        if (in.options().applyEffects) loadFlareSet(light, kLensFlarePath);
    }
    in.number("flaresize", light.glowMax);
    in.number("infsize", light.glowMin);
    if (const TiXmlElement* block = element.FirstChildElement("blocklight")) {
        Reader b = in.child(*block);
        if (b.required({"incstep", "decstep", "limitsup"})) {
            light.blockLight = true;
            b.read("incstep", light.incStep);
            b.read("decstep", light.decStep);
            b.read("limitsup", light.limitSup);
            b.report("blocklight", Fields({{"incstep", Shown(light.incStep)}, {"decstep", Shown(light.decStep)},
                                           {"limitsup", Shown(light.limitSup)}}));
        }
    }
    ApplyColours(light.colours, in, element);
}

void ApplySubMaterial(Material& material, const Reader& parent, const TiXmlElement& element)
{
    Material* target = &material;
    const char* name = element.Attribute("name");
    for (std::uint32_t slot = 1; name && slot < material.subMaterialCount && slot < Material::kSlots; ++slot)
        if (Material* sub = material.slot(slot); sub && sub->name == name) target = sub;
    Reader in(parent.scene(), element, *target, target == &material ? parent.label() : "sub-material " + target->name,
              parent.log(), parent.options());
    in.number("opacity", target->opacity);
    in.number("shiny", target->shiny);
    in.number("env", target->env);
    in.number("combine", target->combine);
    in.number("blendfunc", target->subMaterialBlend);   // kept apart: drawing reads blendfunc
    in.number("emission", target->emission);
    if (const TiXmlElement* t = element.FirstChildElement("txt2rgba")) {
        Reader c = in.child(*t);
        if (c.required({"r", "g", "b", "a"})) {
            const char* keys[4] = {"r", "g", "b", "a"};
            for (int i = 0; i < 4; ++i) c.read(keys[i], target->txt2rgba[i]);
            const float* t = target->txt2rgba;
            c.report("txt2rgba", Shown(t[0], t[1], t[2], t[3]));
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
        in.report("twoside", Shown(true));
    }
    in.number("faceted", material.faceted);
    if (in.number("alpha", material.alpha) && in.options().applyEffects) MergeAlpha(material);
    in.number("emission", material.emission);
    Children(element, "submaterial", [&](const TiXmlElement& sub) { ApplySubMaterial(material, in, sub); });
    if (const TiXmlElement* wire = element.FirstChildElement("wire")) {
        Reader w = in.child(*wire);
        if (w.required({"r", "g", "b"})) {
            material.wire = true;
            material.baseColours.ambient = {w.f("r"), w.f("g"), w.f("b"), 1.0f};
            w.read("size", material.wireSize);
            const Colour& c = material.baseColours.ambient;
            w.report("wire", Fields({{"colour", Shown(c[0], c[1], c[2])}, {"size", Shown(material.wireSize)}}));
        }
    }
    ApplyColours(material.colours, in, element);
}

// The particle set-up as the emitter takes it, one entry per group that is given.
void ReportParticle(const ParticleSettings& s, const Reader& in)
{
    in.report("particle", Fields({{"emitter: maxparts", Shown(s.maxParts)}, {"longeva", Shown(s.longeva)}}));
    if (s.hasAcceleration) in.report("gravity", Shown(s.gx, s.gy, s.gz));
    if (s.hasSizes) in.report("sizes", Fields({{"max", Shown(s.maxSize)}, {"min", Shown(s.minSize)}}));
    if (s.hasSpawn) in.report("spawn", Shown(s.spawn));
    if (s.hasRays) in.report("userays", Shown(s.rays));
    if (s.hasBox) in.report("box", Fields({{"from", Shown(s.minX, s.minY, s.minZ)}, {"to", Shown(s.maxX, s.maxY, s.maxZ)}}));
    if (s.hasSpeed) in.report("speed", Shown(s.sx, s.sy, s.sz));
    if (s.hasColour) in.report("colour", Shown(s.r, s.g, s.b));
    if (s.hasTrace) in.report("trace", Fields({{"x", Shown(s.traceX)}, {"y", Shown(s.traceY)}, {"mode", Shown(s.mode)}}));
    if (!s.fileName.empty()) in.report("filename", s.fileName);
    if (s.import) {
        const int images = int(s.textureFiles.size());
        in.report("texture", Shown(images) + (images == 1 ? " image" : " images") + " packed into " + s.fileName);
    }
}

void ApplyParticle(SceneObject& object, const Reader& in, const TiXmlElement& element)
{
    object.isEmitter = true;
    ParticleSettings settings = ReadParticleSettings(element);
    if (!element.Attribute("maxparts")) settings.maxParts = kDefaultMaxParts;
    ReportParticle(settings, in);
    if (!in.options().applyEffects) {   // set-ups only: no packing, no images, no pool
        settings.fileName.clear();
        settings.import = false;
    }
    ConfigureEmitter(object.emitter, settings, object.transformPosition);
}

void ApplyRegion(SceneObject& object, const Reader& parent, const TiXmlElement& element)
{
    Reader in = parent.child(element);
    if (!object.controller) {
        parent.log().line("scene \"" + parent.scene().name + "\": <animregion> of " + parent.label() +
                          ": the object is not animated; skipped.");
        return;
    }
    const char* name = in.text("name");
    std::int32_t start = 0, end = 100, loops = 0;
    bool loop = false, forward = true;
    in.read("start", start);
    in.read("end", end);
    in.read("loop", loop);
    in.read("nloops", loops);
    in.read("forward", forward);
    object.controller->addRegion(name ? name : "", std::uint32_t(start), std::uint32_t(end), loop, loops, forward);
    in.report("animregion", std::string("\"") + (name ? name : "") + "\" frames " + Shown(start) + ".." + Shown(end) +
                                ", " + (loops == 0 ? std::string("for ever") : Shown(loops) + " loops") +
                                (forward ? ", forward" : ", backward"));
}

void ApplyObject(SceneObject& object, const Reader& in, const TiXmlElement& element)
{
    if (in.has("impostor")) {
        object.impostor = true;
        in.report("impostor", Shown(true));
    }
    in.number("S", object.S);
    in.number("D", object.D);
    if (const TiXmlElement* particle = element.FirstChildElement("particle"))
        ApplyParticle(object, in.child(*particle), *particle);
    if (in.options().applyEffects) partitionTransparent(in.scene());
    Children(element, "animregion", [&](const TiXmlElement& region) { ApplyRegion(object, in, region); });
}
}  // namespace

void ApplyScript(Scene& scene, const TiXmlElement& sceneElement, ScriptLog& log, const ScriptOptions& options)
{
    Reader self(scene, sceneElement, scene, "scene " + scene.name, log, options);
    self.number("near", scene.near);
    self.number("far", scene.far);
    self.number("showfps", scene.showFps);
    self.number("fps", scene.updateRate);
    Children(sceneElement, "camera", [&](const TiXmlElement& element) {
        const char* name = element.Attribute("name");
        Camera* camera = name ? scene.findCamera(name) : nullptr;
        if (!camera) return LogUnknown(scene, log, "camera", name, "camera");
        ApplyCamera(*camera, Reader(scene, element, *camera, "camera " + camera->name, log, options), element);
    });
    Children(sceneElement, "light", [&](const TiXmlElement& element) {
        const char* name = element.Attribute("name");
        OmniLight* light = name ? scene.findOmniLight(name) : nullptr;
        if (!light) return LogUnknown(scene, log, "light", name, "omni light");
        ApplyLight(*light, Reader(scene, element, *light, "light " + light->name, log, options), element);
    });
    Children(sceneElement, "material", [&](const TiXmlElement& element) {
        const char* name = element.Attribute("name");
        Material* material = name ? scene.findMaterial(name) : nullptr;
        if (!material) return LogUnknown(scene, log, "material", name, "material");
        ApplyMaterial(*material, Reader(scene, element, *material, "material " + material->name, log, options), element);
    });
    if (options.applyEffects) partitionTransparent(scene);
    Children(sceneElement, "object", [&](const TiXmlElement& element) {
        const char* name = element.Attribute("name");
        SceneObject* object = name ? scene.findObject(name) : nullptr;
        if (!object) return LogUnknown(scene, log, "object", name, "object");
        ApplyObject(*object, Reader(scene, element, *object, "object " + object->name, log, options), element);
    });
}
