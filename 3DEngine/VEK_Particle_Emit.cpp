#include "VEK_Particle_Emit.h"

#include "VEK_K2DPack.h"
#include "VEK_K2DTextures.h"
#include "vekPlatform.h"

#include <tinyxml.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <new>

namespace {
// One call of the C library's generator, kept to 0 .. 32767 on every library so that
// ranges behave alike everywhere.
long long Random() { return std::rand() & 0x7FFF; }

// One random term: a random value modulo the divisor. A divisor of 0 (no range) gives
// 0; the generator is called all the same, so later draws do not depend on it.
long long RandomMod(long long divisor)
{
    const long long value = Random();
    return divisor == 0 ? 0 : value % divisor;
}

// Truncation toward zero that saturates instead of overflowing (NaN gives 0).
int Truncate(float value)
{
    if (std::isnan(value)) return 0;
    if (value >= float(INT_MAX)) return INT_MAX;
    if (value <= float(INT_MIN)) return INT_MIN;
    return int(value);
}

int AbsoluteRange(int minimum, int maximum)
{
    const long long range = std::llabs(static_cast<long long>(minimum) - maximum);
    return range > INT_MAX ? INT_MAX : int(range);
}

// The eye-space position of a point under a column-major matrix.
void ToEye(const float (&m)[16], float x, float y, float z, float& ex, float& ey, float& ez)
{
    ex = m[0] * x + m[4] * y + m[8] * z + m[12];
    ey = m[1] * x + m[5] * y + m[9] * z + m[13];
    ez = m[2] * x + m[6] * y + m[10] * z + m[14];
}

// The four corners of a particle's square, in triangle-strip order.
void EmitSquare(const Particle& p, float ex, float ey, float ez)
{
    const float s = p.size;
    glColor4f(p.r, p.g, p.b, p.life);
    glTexCoord2f(1, 1);
    glVertex3f(ex + s, ey + s, ez);
    glTexCoord2f(0, 1);
    glVertex3f(ex - s, ey + s, ez);
    glTexCoord2f(1, 0);
    glVertex3f(ex + s, ey - s, ez);
    glTexCoord2f(0, 0);
    glVertex3f(ex - s, ey - s, ez);
}

// Additive, textured, unlit drawing that reads depth but does not write it.
void BeginParticleState(GLuint texture)
{
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glPushAttrib(GL_LIGHTING_BIT);
    glDisable(GL_FOG);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glPushMatrix();
}

// The state the mesh drawing goes on with after an emitter.
void EndParticleState()
{
    glPopMatrix();
    glDisable(GL_BLEND);
    glPopAttrib();
    glEnable(GL_LIGHTING);
    glEnable(GL_COLOR_MATERIAL);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
}

const char* AttributeOr(const TiXmlElement& element, const char* name, const char* fallback)
{
    const char* value = element.Attribute(name);
    return value ? value : fallback;
}
float FloatOf(const TiXmlElement& element, const char* name) { return float(std::atof(AttributeOr(element, name, "0"))); }
int IntOf(const TiXmlElement& element, const char* name) { return std::atoi(AttributeOr(element, name, "0")); }
bool Has(const TiXmlElement& element, const char* name) { return element.Attribute(name) != nullptr; }

constexpr int kMaxTextureFiles = 16;
}  // namespace

ParticleEmitter::ParticleEmitter() = default;

ParticleEmitter::~ParticleEmitter()
{
    if (textureCount_ > 0) glDeleteTextures(textureCount_, textures_);
}

void ParticleEmitter::SetAcceleration(float gx, float gy, float gz)
{
    accelX_ = gx;
    accelY_ = gy;
    accelZ_ = gz;
}

void ParticleEmitter::SetSizes(float maxSize, float minSize)
{
    maxSize_ = Truncate(maxSize);
    minSize_ = Truncate(minSize);
}

void ParticleEmitter::SetBox(int minX, int minY, int minZ, int maxX, int maxY, int maxZ)
{
    boxMinX_ = minX, boxMinY_ = minY, boxMinZ_ = minZ;
    boxMaxX_ = maxX, boxMaxY_ = maxY, boxMaxZ_ = maxZ;
    boxRangeX_ = AbsoluteRange(minX, maxX);
    boxRangeY_ = AbsoluteRange(minY, maxY);
    boxRangeZ_ = AbsoluteRange(minZ, maxZ);
}

void ParticleEmitter::SetSpeedDivisors(float sx, float sy, float sz)
{
    divisorX_ = sx + 0.01f;
    divisorY_ = sy + 0.01f;
    divisorZ_ = sz + 0.01f;
}

void ParticleEmitter::SetColour(float r, float g, float b)
{
    r_ = r;
    g_ = g;
    b_ = b;
}

void ParticleEmitter::SetTrace(float traceX, float traceY, int mode)
{
    if (!path_) path_ = std::make_unique<LissaPath>();
    path_->Fill(Truncate(traceX), Truncate(traceY), 0, mode);
    path_->SetSpeed(1);
}

bool ParticleEmitter::Load(const char* fileName, int particleCount, int /*lifetime*/, const Vector3& position)
{
    x_ = position.x;
    y_ = position.y;
    z_ = position.z;
    loaded_ = true;
    launchX_ = 8120.0f;
    launchY_ = -5420.0f;
    running_ = true;

    // A second load replaces what the first made.
    if (textureCount_ > 0) glDeleteTextures(textureCount_, textures_);
    for (GLuint& texture : textures_) texture = 0;
    textureCount_ = 0;
    particles_.reset();
    particleCount_ = 0;

    k2d::ParticleTextures images;
    if (!k2d::LoadParticleImages(fileName, images)) return false;
    textureCount_ = images.count;
    for (int i = 0; i < images.count; ++i) textures_[i] = images.textures[i];

    if (particleCount <= 0) return false;
    if (particleCount > kMaxParticles) particleCount = kMaxParticles;
    particles_.reset(new (std::nothrow) Particle[std::size_t(particleCount)]);
    if (!particles_) return false;
    particleCount_ = particleCount;
    const long long sizeRange = static_cast<long long>(maxSize_) - minSize_;
    for (int i = 0; i < particleCount_; ++i) {
        Particle& p = particles_[i];
        p.alive = true;
        p.life = 1.0f;
        p.decay = 0.2f;
        p.r = p.g = p.b = 0.9f;
        p.size = float(RandomMod(minSize_));
        p.shrink = float(RandomMod(sizeRange)) / 100.0f;
        p.x = x_;
        p.y = y_;
        p.z = z_;
        p.reborn = false;
    }
    return true;
}

void ParticleEmitter::Update()
{
    if (!running_) return;
    for (int i = 0; i < particleCount_; ++i) {
        Particle& p = particles_[i];
        p.x += p.vx / (divisorX_ * 1000.0f);
        p.y += p.vy / (divisorY_ * 1000.0f);
        p.z += p.vz / (divisorZ_ * 1000.0f);
        p.vx += p.ax;
        p.vy += p.ay;
        p.vz += p.az;
        if (p.reborn) {
            p.life += 0.01f;
            p.reborn = false;
        } else {
            p.life -= p.decay;
            p.size -= p.shrink;
        }
        if (p.life < 0.0f) Rebirth(p);
    }
}

void ParticleEmitter::Rebirth(Particle& p)
{
    if (path_) {
        path_->CurrentPoint(0, launchX_, launchY_);
        path_->Step(0);
    } else {
        launchX_ = launchY_ = 0.0f;   // no trace: a path of zeros
    }
    p.size = float(RandomMod(minSize_));
    p.shrink = float(RandomMod(static_cast<long long>(maxSize_) - minSize_)) / 100.0f;
    p.reborn = true;
    p.life = 1.0f;
    p.decay = float(RandomMod(100)) / 1000.0f + 0.003f;
    p.x = x_ + float(RandomMod(boxRangeX_) + boxMinX_);
    p.y = y_ + float(RandomMod(boxRangeY_) + boxMinY_);
    p.z = z_ + float(RandomMod(boxRangeZ_) + boxMinZ_);
    p.vx = launchX_;
    p.vy = launchY_;
    p.vz = launchX_;
    p.ax = float(RandomMod(Truncate(accelX_ + 1.0f)));
    p.ay = float(RandomMod(Truncate(accelY_ + 1.0f)));
    p.az = float(RandomMod(Truncate(accelZ_ + 1.0f)));
    p.r = 0.7f;
    p.g = 0.8f;
    p.b = 0.8f;
}

void ParticleEmitter::Draw()
{
    if (!visible_) return;
    BeginParticleState(textureCount_ > 0 ? textures_[0] : 0);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView_);
    glLoadIdentity();
    if (rays_)
        DrawRays();
    else
        DrawSquares();
    EndParticleState();
}

void ParticleEmitter::DrawSquares()
{
    for (int i = 0; i < particleCount_; ++i) {
        const Particle& p = particles_[i];
        if (!p.alive) continue;
        float ex, ey, ez;
        ToEye(modelView_, p.x, p.y, p.z, ex, ey, ez);
        glBegin(GL_TRIANGLE_STRIP);
        EmitSquare(p, ex, ey, ez);
        glEnd();
    }
}

void ParticleEmitter::DrawRays()
{
    glBegin(GL_TRIANGLE_STRIP);
    for (int i = 0; i < particleCount_; ++i) {
        const Particle& p = particles_[i];
        if (!p.alive) continue;
        float ex, ey, ez;
        ToEye(modelView_, p.x, p.y, p.z, ex, ey, ez);
        EmitSquare(p, ex, ey, ez);
    }
    glEnd();
}

ParticleSettings ReadParticleSettings(const TiXmlElement& e)
{
    ParticleSettings s;
    s.maxParts = IntOf(e, "maxparts");
    if (Has(e, "longeva")) s.longeva = FloatOf(e, "longeva");
    if ((s.hasAcceleration = Has(e, "gx"))) s.gx = FloatOf(e, "gx"), s.gy = FloatOf(e, "gy"), s.gz = FloatOf(e, "gz");
    if ((s.hasSizes = Has(e, "maxsize"))) s.maxSize = FloatOf(e, "maxsize"), s.minSize = FloatOf(e, "minsize");
    if ((s.hasSpawn = Has(e, "spawn"))) s.spawn = FloatOf(e, "spawn");
    if ((s.hasRays = Has(e, "userays"))) s.rays = IntOf(e, "userays") != 0;
    if ((s.hasBox = Has(e, "minx"))) {
        s.minX = IntOf(e, "minx"), s.minY = IntOf(e, "miny"), s.minZ = IntOf(e, "minz");
        s.maxX = IntOf(e, "maxx"), s.maxY = IntOf(e, "maxy"), s.maxZ = IntOf(e, "maxz");
    }
    if ((s.hasSpeed = Has(e, "sx"))) s.sx = FloatOf(e, "sx"), s.sy = FloatOf(e, "sy"), s.sz = FloatOf(e, "sz");
    if ((s.hasColour = Has(e, "r"))) s.r = FloatOf(e, "r"), s.g = FloatOf(e, "g"), s.b = FloatOf(e, "b");
    if ((s.hasTrace = Has(e, "tracex")))
        s.traceX = FloatOf(e, "tracex"), s.traceY = FloatOf(e, "tracey"), s.mode = IntOf(e, "mode");
    s.fileName = AttributeOr(e, "filename", "");
    if (const TiXmlElement* texture = e.FirstChildElement("texture")) {
        s.import = IntOf(*texture, "import") == 1;
        for (const TiXmlElement* file = texture->FirstChildElement("texturefile");
             file && int(s.textureFiles.size()) < kMaxTextureFiles; file = file->NextSiblingElement("texturefile"))
            s.textureFiles.push_back(AttributeOr(*file, "file", ""));
    }
    return s;
}

bool PackParticleTextures(const std::vector<std::string>& textureFiles, const std::string& fileName)
{
    return k2d::PackParticleAnimation(textureFiles, fileName.c_str());
}

bool ConfigureEmitter(ParticleEmitter& emitter, const ParticleSettings& s, const Vector3& objectPosition)
{
    if (s.hasAcceleration) emitter.SetAcceleration(s.gx, s.gy, s.gz);
    if (s.hasSizes) emitter.SetSizes(s.maxSize, s.minSize);
    if (s.hasSpawn) emitter.SetSpawn(s.spawn);
    if (s.hasRays) emitter.SetRays(s.rays);
    if (s.hasBox) emitter.SetBox(s.minX, s.minY, s.minZ, s.maxX, s.maxY, s.maxZ);
    if (s.hasSpeed) emitter.SetSpeedDivisors(s.sx, s.sy, s.sz);
    if (s.hasColour) emitter.SetColour(s.r, s.g, s.b);
    if (s.hasTrace) emitter.SetTrace(s.traceX, s.traceY, s.mode);
    if (s.fileName.empty()) return false;
    // A packing failure has said why; a file of an earlier packing still serves, but a file
    // that was never made is not reported a second time.
    if (s.import && !PackParticleTextures(s.textureFiles, s.fileName) && !std::filesystem::exists(s.fileName))
        return false;
    return emitter.Load(s.fileName.c_str(), s.maxParts, Truncate(s.longeva), objectPosition);
}
