#include "VEK_GLState.h"

#include "vekPlatform.h"

#include <cstdlib>
#include <cstring>

namespace gl2d {
namespace {
bool disabledForTest = false;

bool HasExtension(const char* name)
{
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!list) return false;
    const std::size_t length = std::strlen(name);
    for (const char* at = std::strstr(list, name); at; at = std::strstr(at + 1, name)) {
        const bool startsWord = at == list || at[-1] == ' ';
        const bool endsWord = at[length] == ' ' || at[length] == '\0';
        if (startsWord && endsWord) return true;
    }
    return false;
}

int MajorVersion()
{
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    return version ? std::atoi(version) : 0;
}

template <typename Function>
bool Find(Function& function, const char* name, const char* suffix)
{
    char full[64];
    std::strcpy(full, name);
    std::strcat(full, suffix);
    function = reinterpret_cast<Function>(plat::GetGLProcAddress(full));
    return function != nullptr;
}

// Fills api with the names ending in suffix ("" for core, "EXT"); false when one is missing.
bool Load(FramebufferApi& api, const char* suffix)
{
    return Find(api.genFramebuffers, "glGenFramebuffers", suffix) &&
           Find(api.deleteFramebuffers, "glDeleteFramebuffers", suffix) &&
           Find(api.bindFramebuffer, "glBindFramebuffer", suffix) &&
           Find(api.checkFramebufferStatus, "glCheckFramebufferStatus", suffix) &&
           Find(api.framebufferRenderbuffer, "glFramebufferRenderbuffer", suffix) &&
           Find(api.genRenderbuffers, "glGenRenderbuffers", suffix) &&
           Find(api.deleteRenderbuffers, "glDeleteRenderbuffers", suffix) &&
           Find(api.bindRenderbuffer, "glBindRenderbuffer", suffix) &&
           Find(api.renderbufferStorage, "glRenderbufferStorage", suffix);
}

const FramebufferApi* LookUp()
{
    static FramebufferApi api;
    if ((MajorVersion() >= 3 || HasExtension("GL_ARB_framebuffer_object")) && Load(api, "")) return &api;
    if (HasExtension("GL_EXT_framebuffer_object") && Load(api, "EXT")) return &api;
    return nullptr;
}
}  // namespace

const FramebufferApi* Framebuffers()
{
    if (disabledForTest) return nullptr;
    static bool looked = false;
    static const FramebufferApi* api = nullptr;
    if (!looked && glGetString(GL_VERSION)) {  // only with a current context
        api = LookUp();
        looked = true;
    }
    return api;
}

void SetFramebuffersDisabled(bool disabled) { disabledForTest = disabled; }

void SavedFrameState::Save()
{
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer_);
    glGetFloatv(GL_PROJECTION_MATRIX, projection_);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview_);
    glGetFloatv(GL_TEXTURE_MATRIX, texture_);
    // The matrices are kept here rather than on the stacks, which may be only two deep.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
}

void SavedFrameState::Restore(const FramebufferApi& api)
{
    // The framebuffer first: the popped draw buffer (GL_BACK) belongs to the window's.
    api.bindFramebuffer(GL_FRAMEBUFFER, GLuint(framebuffer_));
    glMatrixMode(GL_TEXTURE);
    glLoadMatrixf(texture_);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(projection_);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(modelview_);
    glPopClientAttrib();
    glPopAttrib();
}

void PushFullViewportQuad(GLint x, GLint y, GLsizei width, GLsizei height)
{
    glViewport(x, y, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 1.0, 0.0, 1.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void PopQuadMatrix()
{
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void DrawUnitQuad(const GLfloat (&texCoords)[8])
{
    static constexpr GLfloat kCorners[8] = {0, 0, 1, 0, 1, 1, 0, 1};
    glBegin(GL_QUADS);
    for (int corner = 0; corner < 4; ++corner) {
        glTexCoord2f(texCoords[corner * 2], texCoords[corner * 2 + 1]);
        glVertex2f(kCorners[corner * 2], kCorners[corner * 2 + 1]);
    }
    glEnd();
}

void DrawUnitQuad()
{
    glBegin(GL_QUADS);
    glVertex2f(0, 0);
    glVertex2f(1, 0);
    glVertex2f(1, 1);
    glVertex2f(0, 1);
    glEnd();
}

void SetTexGen(bool on)
{
    if (on) {
        glEnable(GL_TEXTURE_GEN_S);
        glEnable(GL_TEXTURE_GEN_T);
    } else {
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
    }
}

}  // namespace gl2d
