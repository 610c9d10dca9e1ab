// The 2D layer tests' window: 800 x 600 like the player's, on the shared GL test support,
// cleared to black before every test.
#pragma once

#include "GLTestSupport.h"
#include "TempDir.h"

namespace layers {

class GLTest : public gltest::WindowTest {
public:
    static void SetUpTestSuite() { OpenWindow("2D layer tests", 800, 600); }
    static void TearDownTestSuite() { CloseWindow(); }

protected:
    void SetUp() override
    {
        gltest::WindowTest::SetUp();
        Clear();
    }
};

}  // namespace layers
