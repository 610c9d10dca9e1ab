#include "VEK_ImGuiGlue.h"

#include "vekPlatform.h"

#include <GL/gl.h>
#include <imgui.h>

namespace {
GLuint fontTexture = 0;

void CreateFontTexture()
{
    ImGuiIO& io = ImGui::GetIO();
    unsigned char* pixels = nullptr;
    int width = 0;
    int height = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    glGenTextures(1, &fontTexture);
    glBindTexture(GL_TEXTURE_2D, fontTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    io.Fonts->SetTexID(reinterpret_cast<ImTextureID>(static_cast<intptr_t>(fontTexture)));
}

void SetupRenderState(int width, int height)
{
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_TRANSFORM_BIT | GL_TEXTURE_BIT | GL_SCISSOR_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_SCISSOR_TEST);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, width, height, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void RestoreRenderState()
{
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}
}  // namespace

void GlueInit()
{
    ImGui::CreateContext();
    ImGui::GetIO().IniFilename = nullptr;  // the dialog keeps no settings file
    CreateFontTexture();
}

void GlueNewFrame(int width, int height, float seconds)
{
    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(float(width), float(height));
    io.DeltaTime = seconds > 0.0f ? seconds : 1.0f / 60.0f;
    int x = 0;
    int y = 0;
    plat::GetCursorPos(x, y);
    io.MousePos = ImVec2(float(x), float(y));
    const uint32_t buttons = plat::MouseButtons();
    io.MouseDown[0] = (buttons & 1) != 0;
    io.MouseDown[1] = (buttons & 2) != 0;
    ImGui::NewFrame();
}

void GlueRender(ImDrawData* drawData)
{
    const int width = int(drawData->DisplaySize.x);
    const int height = int(drawData->DisplaySize.y);
    SetupRenderState(width, height);
    for (int n = 0; n < drawData->CmdListsCount; ++n) {
        const ImDrawList* list = drawData->CmdLists[n];
        const ImDrawVert* vertices = list->VtxBuffer.Data;
        const ImDrawIdx* indices = list->IdxBuffer.Data;
        glVertexPointer(2, GL_FLOAT, sizeof(ImDrawVert), &vertices->pos);
        glTexCoordPointer(2, GL_FLOAT, sizeof(ImDrawVert), &vertices->uv);
        glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(ImDrawVert), &vertices->col);
        for (const ImDrawCmd& command : list->CmdBuffer) {
            const ImVec4 clip = command.ClipRect;
            glScissor(int(clip.x), height - int(clip.w), int(clip.z - clip.x), int(clip.w - clip.y));
            glBindTexture(GL_TEXTURE_2D, GLuint(reinterpret_cast<intptr_t>(command.GetTexID())));
            glDrawElements(GL_TRIANGLES, GLsizei(command.ElemCount),
                           sizeof(ImDrawIdx) == 2 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT,
                           indices + command.IdxOffset);
        }
    }
    RestoreRenderState();
}

void GlueShutdown()
{
    if (fontTexture) glDeleteTextures(1, &fontTexture);
    fontTexture = 0;
    ImGui::DestroyContext();
}
