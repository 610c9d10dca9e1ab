// The GL state the 2D layer engine relies on, kept in one place: the framebuffer-object
// entry points, saving and restoring the main frame around an off-screen pass, and the
// full-viewport quads of the post effects.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

namespace gl2d {

// Framebuffer-object entry points, core (GL 3.0, ARB_framebuffer_object) or EXT names.
struct FramebufferApi {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
};

// The entry points of the current context's driver, or null when it has no framebuffer
// objects. Looked up once per process (the driver does not change); needs a current context.
const FramebufferApi* Framebuffers();
// Lets a test play a driver without framebuffer objects.
void SetFramebuffersDisabled(bool disabled);

// The main frame's state around an off-screen pass: framebuffer binding, viewport, the
// three matrices and every attribute group. The render target binds its framebuffer
// between Save and Restore; whatever the pass changes is undone by Restore.
class SavedFrameState {
public:
    void Save();
    void Restore(const FramebufferApi& api);

private:
    GLint framebuffer_ = 0;
    GLfloat projection_[16] = {};
    GLfloat modelview_[16] = {};
    GLfloat texture_[16] = {};
};

// Sets the viewport and a projection on which (0,0)-(1,1) covers it exactly, with an
// identity model-view. The model-view matrix is pushed: PopQuadMatrix undoes it.
void PushFullViewportQuad(GLint x, GLint y, GLsizei width, GLsizei height);
void PopQuadMatrix();
// One quad over (0,0)-(1,1), texture coordinates given for its lower-left, lower-right,
// upper-right and upper-left corners (s, t pairs).
void DrawUnitQuad(const GLfloat (&texCoords)[8]);
void DrawUnitQuad();

// Texture-coordinate generation on S and T off or on.
void SetTexGen(bool on);

}  // namespace gl2d
