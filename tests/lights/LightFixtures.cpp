#include "LightFixtures.h"

#include <GL/glu.h>

#include <vector>

namespace lights {

void GLTest::SetUp()
{
    gltest::WindowTest::SetUp();
    inDir_ = std::make_unique<ScopedChdir>(dir.path());
    glDisable(GL_NORMALIZE);
    for (int i = 0; i < 8; ++i) glDisable(GLenum(GL_LIGHT0 + i));
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    const float black[4] = {0, 0, 0, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    glShadeModel(GL_SMOOTH);
    Clear();
}

void GLTest::TearDown() { inDir_.reset(); }

void GLTest::LookAt(const Vector3& eye, const Vector3& target)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60, 1, 1, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, 0, 1, 0);
}

Vector3 GLTest::Project(const Vector3& point)
{
    GLdouble model[16], projection[16], x = 0, y = 0, z = 0;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(point.x, point.y, point.z, model, projection, viewport, &x, &y, &z);
    return {float(x), float(y), float(z)};
}

void GLTest::DrawSquare(const Vector3& centre, float half, float r, float g, float b)
{
    glColor3f(r, g, b);
    glBegin(GL_QUADS);
    glVertex3f(centre.x - half, centre.y - half, centre.z);
    glVertex3f(centre.x + half, centre.y - half, centre.z);
    glVertex3f(centre.x + half, centre.y + half, centre.z);
    glVertex3f(centre.x - half, centre.y + half, centre.z);
    glEnd();
}

GLuint GLTest::SolidTexture(int side, unsigned char r, unsigned char g, unsigned char b)
{
    std::vector<unsigned char> texels(std::size_t(side) * std::size_t(side) * 3);
    for (std::size_t i = 0; i < texels.size(); i += 3) texels[i] = r, texels[i + 1] = g, texels[i + 2] = b;
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, side, side, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    return texture;
}

}  // namespace lights
