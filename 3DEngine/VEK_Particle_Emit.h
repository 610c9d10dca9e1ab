// ParticleEmitter: a fixed pool of textured, additively blended, camera-facing squares
// that a scene object carries. Particles are born in a box around the object, drift with
// a velocity taken from a Lissajous path, accelerate randomly, shrink and fade, and are
// reborn once faded out. The pool is allocated when the emitter loads and never again.
//
// Use: the engine script reads the object's particle element (ReadParticleSettings) and
// starts the emitter with it (ConfigureEmitter: set-ups, packing, load). Drawing the
// object calls Draw with the object's model-view matrix current, then Update: particles
// advance once per drawn frame. vekEnableEmitter switches SetRunning.
//
// Randomness is the C library's rand(), so a run seeded with srand() repeats exactly.
#pragma once

#include "VEK_LissaPath.h"
#include "VEK_Math.h"

#include <GL/gl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TiXmlElement;

struct Particle {
    bool alive = false;
    float life = 0;    // also the alpha it is drawn with
    float decay = 0;   // life lost per update
    float r = 0, g = 0, b = 0;
    float x = 0, y = 0, z = 0;
    float vx = 0, vy = 0, vz = 0;
    float ax = 0, ay = 0, az = 0;
    bool reborn = false;
    float size = 0;    // half the side of the drawn square
    float shrink = 0;  // size lost per update
};

class ParticleEmitter {
public:
    static constexpr int kMaxTextures = 3;         // only the first is drawn
    static constexpr int kMaxParticles = 1000000;  // larger pools are cut to this

    ParticleEmitter();
    ~ParticleEmitter();
    ParticleEmitter(const ParticleEmitter&) = delete;
    ParticleEmitter& operator=(const ParticleEmitter&) = delete;

    // ---- set-up, from the particle element's attributes ----------------------------
    void SetAcceleration(float gx, float gy, float gz);
    void SetSizes(float maxSize, float minSize);             // truncated to integers
    void SetSpawn(float spawn) { spawn_ = spawn; }
    void SetRays(bool rays) { rays_ = rays; }
    void SetBox(int minX, int minY, int minZ, int maxX, int maxY, int maxZ);
    void SetSpeedDivisors(float sx, float sy, float sz);      // each stored plus 0.01
    void SetColour(float r, float g, float b);
    // Channel 0 of the path: amplitudes truncated to integers, curve mode, speed 1.
    void SetTrace(float traceX, float traceY, int mode);

    // Reads the K2D file (image sequence) into up to 3 textures in the current GL
    // context and builds a pool of particleCount particles at position. A file that
    // cannot be opened shows "K2D Particle_Sys File Not Founde." and, like a damaged
    // file, leaves the emitter without a pool. lifetime is accepted and not used.
    // Returns whether the pool was built.
    bool Load(const char* fileName, int particleCount, int lifetime, const Vector3& position);

    // ---- every frame: Draw, then Update --------------------------------------------
    // Draws the alive particles around the current model-view matrix (when visible).
    void Draw();
    // Moves, fades and rebirths the pool (when running).
    void Update();
    void SetRunning(bool running) { running_ = running; }

    // ---- what the emitter holds ---------------------------------------------------
    bool Running() const { return running_; }
    bool Loaded() const { return loaded_; }
    bool Visible() const { return visible_; }
    void SetVisible(bool visible) { visible_ = visible; }
    bool Rays() const { return rays_; }
    float Spawn() const { return spawn_; }
    int ParticleCount() const { return particleCount_; }
    int TextureCount() const { return textureCount_; }
    GLuint Texture(int index) const { return index >= 0 && index < kMaxTextures ? textures_[index] : 0; }
    const Particle* Particles() const { return particles_.get(); }
    Particle* Particles() { return particles_.get(); }
    void LaunchVelocity(float& x, float& y) const { x = launchX_, y = launchY_; }
    // Null until SetTrace fills it: without a trace particles launch with (0, 0).
    const LissaPath* Path() const { return path_.get(); }
    const float* ModelView() const { return modelView_; }

private:
    void Rebirth(Particle& particle);
    void DrawSquares();
    void DrawRays();

    bool visible_ = true;
    float divisorX_ = 2.0f, divisorY_ = 2.0f, divisorZ_ = 2.0f;
    float spawn_ = 0.1f;
    bool rays_ = false;
    int boxMinX_ = 1, boxMinY_ = 1, boxMinZ_ = 1;
    int boxMaxX_ = 0, boxMaxY_ = 0, boxMaxZ_ = 0;
    int boxRangeX_ = 0, boxRangeY_ = 0, boxRangeZ_ = 0;
    GLuint textures_[kMaxTextures] = {};
    std::unique_ptr<LissaPath> path_;   // 32 KB of tables, made by SetTrace
    int textureCount_ = 0;
    int particleCount_ = 0;
    std::unique_ptr<Particle[]> particles_;
    bool running_ = false;
    bool loaded_ = false;
    int maxSize_ = 0, minSize_ = 0;
    float x_ = 0, y_ = 0, z_ = 0;
    float launchX_ = 0, launchY_ = 0;
    float accelX_ = 1.8f, accelY_ = 1.8f, accelZ_ = 1.8f;
    float r_ = 0, g_ = 0, b_ = 0;
    float modelView_[16] = {};
};

// The particle element of an object, as the engine script gives it. Each group is
// applied only when its first key is present (gx, maxsize, minx, sx, r, tracex).
struct ParticleSettings {
    int maxParts = 0;
    float longeva = 0.01f;
    bool hasAcceleration = false;
    float gx = 0, gy = 0, gz = 0;
    bool hasSizes = false;
    float maxSize = 0, minSize = 0;
    bool hasSpawn = false;
    float spawn = 0;
    bool hasRays = false;
    bool rays = false;
    bool hasBox = false;
    int minX = 0, minY = 0, minZ = 0, maxX = 0, maxY = 0, maxZ = 0;
    bool hasSpeed = false;
    float sx = 0, sy = 0, sz = 0;
    bool hasColour = false;
    float r = 0, g = 0, b = 0;
    bool hasTrace = false;
    float traceX = 0, traceY = 0;
    int mode = 0;
    std::string fileName;                  // empty: the emitter is not started
    bool import = false;                   // the texture child's import="1"
    std::vector<std::string> textureFiles; // its texturefile children, at most 16
};

// Reads a particle element's attributes and its texture child. A missing attribute of
// a group that is present reads as 0.
ParticleSettings ReadParticleSettings(const TiXmlElement& particle);

// Packs the images into fileName as an image sequence. A failure is reported by the
// packer (caption "XML parser") and returns false.
bool PackParticleTextures(const std::vector<std::string>& textureFiles, const std::string& fileName);

// Applies the settings in the script's order; with a file name it packs (when import is
// set) and loads the emitter at the object's position. Returns whether a pool was built.
bool ConfigureEmitter(ParticleEmitter& emitter, const ParticleSettings& settings, const Vector3& objectPosition);
