// Steady-state frames of a show with flashes, skins and three active layers allocate
// nothing: every C++ allocation made on the test's thread while frames run is counted.
#include "LayerFixtures.h"
#include "VEK_DemoEngine.h"
#include "VEK_K2DPack.h"
#include "vekPlatform.h"

#include "CountingNew.h"

namespace {

constexpr const char* kShow = R"(<demoproject>
  <engineDEMO name="allocations" v="1" h="1"/>
  <engine2D>
    <object class="flash" name="add" blendfunc="0" fadein="0.01" fadeout="0.01"><color r="1" g="1" b="1"/></object>
    <object class="flash" name="blend" blendfunc="3" fadein="0.01" fadeout="0.01"><color r="1" g="0" b="0"/></object>
    <object class="skin" name="plain" z="3" file="plain.k2d" import="1" texturefile="base.jpg" blendfunc="3" fadein="0.01" fadeout="0.01"/>
    <object class="skin" name="masked" z="20" file="masked.k2d" import="1" texturefile="base.jpg" texturemaskfile="mask.jpg" fadein="0.01" fadeout="0.01"/>
    <object class="layer" name="one"><layer z="0" xres="128" yres="128" blur="0.2"/></object>
    <object class="layer" name="two"><layer z="1" xres="64" yres="64" blur="0.1"/></object>
    <object class="layer" name="three"><layer z="2" xres="256" yres="128" blur="0.5"/></object>
  </engine2D>
</demoproject>)";

class FrameAllocations : public layers::GLTest {};

TEST_F(FrameAllocations, SteadyStateFramesAllocateNothing)
{
    TempDir dir;
    ScopedChdir in(dir.path());
    gltest::WriteSolidJpeg(dir / "base.jpg", 64, {200, 100, 50});
    gltest::WriteSolidJpeg(dir / "mask.jpg", 64, {128, 128, 128});
    dir.write("demotest.xml", kShow);
    auto demo = std::make_unique<DemoEngine>();
    demo->LoadProject("demotest.xml");
    demo->Initialise(800, 600, 32);
    ASSERT_EQ(demo->layerCount, 3);
    for (int slot = 0; slot < 3; ++slot) {
        Object2D& layer = demo->layers[slot];
        layer.SetSceneName("scene");
        layer.SetCameraName("camera");
        layer.ToggleLayer();
        layer.Start();
        layer.Target().SetRadialOn(slot == 1);
    }
    for (int slot : {0, 1}) {
        demo->flashes[slot].SetHoldTime(1000.0f);
        demo->flashes[slot].Start();
        demo->flashEnabled[slot] = 1;
    }
    for (int slot : {3, 20}) {
        demo->skins[slot].SetHoldTime(1000.0f);
        demo->skins[slot].Start();
        demo->skinEnabled[slot] = 1;
    }
    demo->layersMode = true;
    auto frame = [&] {
        demo->RenderFrame();
        demo->StepEffects();
        plat::SwapWindow();
    };
    for (int warmUp = 0; warmUp < 20; ++warmUp) frame();

    StartCountingNew();
    for (int i = 0; i < 200; ++i) frame();
    EXPECT_EQ(StopCountingNew(), 0);
    EXPECT_TRUE(demo->layers[2].Target().active) << "the layers really ran";
    EXPECT_GT(demo->flashes[0].alpha, 0.0f);
    demo->Shutdown();
}

}  // namespace
