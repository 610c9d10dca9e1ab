// Decoding the images of K2D files within each reader's limits, and surviving files cut
// at every byte.
#include "ImageFixtures.h"
#include "VEK_JpegReader.h"
#include "VEK_K2DImages.h"
#include "VEK_K2DTextures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {
using fixtures::Bytes;
using fixtures::K2DBuilder;
using fixtures::MemoryFile;

k2d::ReadResult Read(const Bytes& bytes, k2d::Layout layout, const k2d::ReadLimits& limits = {}, bool withMask = false)
{
    MemoryFile file(bytes);
    return k2d::ReadImages(file.get(), "test.k2d", layout, withMask, limits);
}

bool Mentions(const k2d::ReadResult& result, const std::string& text)
{
    for (const std::string& problem : result.problems)
        if (problem.find(text) != std::string::npos) return true;
    return false;
}

std::vector<unsigned char> DecodeLoose(const Bytes& jpeg)
{
    MemoryFile file(jpeg);
    JpegReader reader;
    reader.ReadHeader(file.get());
    std::vector<unsigned char> pixels(reader.ByteSize());
    std::rewind(file.get());
    reader.Decode(file.get(), pixels.data(), pixels.size());
    return pixels;
}

TEST(K2DImages, EveryLayoutGivesItsImagesInRecordOrder)
{
    const Bytes a = fixtures::GradientJpeg(16, 8), b = fixtures::GradientJpeg(8, 32, fixtures::Kind::progressive);
    const struct {
        const char* what;
        Bytes file;
        k2d::Layout layout;
        bool withMask;
        std::vector<int> slots;
    } cases[] = {
        {"skin", fixtures::SkinFile(a), k2d::Layout::skin, false, {0}},
        {"skin with mask", fixtures::SkinFile(a, &b), k2d::Layout::skin, true, {0, 1}},
        {"sequence", fixtures::SequenceFile({a, b}), k2d::Layout::sequence, false, {0, 1}},
        {"slots", fixtures::SlotsFile({{3, a}, {1, b}}), k2d::Layout::slots, false, {3, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const k2d::ReadResult result = Read(c.file, c.layout, {}, c.withMask);
        EXPECT_TRUE(result.problems.empty()) << result.problems.front();
        ASSERT_EQ(result.images.size(), c.slots.size());
        for (std::size_t i = 0; i < c.slots.size(); ++i) {
            const k2d::Image& image = result.images[i];
            EXPECT_EQ(image.slot, c.slots[i]);
            EXPECT_EQ(image.record, int(i));
            const std::vector<unsigned char> expected = DecodeLoose(i == 0 ? a : b);
            ASSERT_EQ(image.byteSize(), expected.size());
            EXPECT_TRUE(std::equal(expected.begin(), expected.end(), image.pixels.get()));
        }
    }
}

// Per-image problems leave that image out and let the rest of the file load.
TEST(K2DImages, ImagesOutsideTheReadersLimitsAreLeftOutWithAMessage)
{
    const Bytes small = fixtures::GradientJpeg(8, 8), flare = fixtures::GradientJpeg(128, 128);
    const Bytes wide = fixtures::Jpeg(fixtures::Solid(4097, 8, 1, 2, 3), 4097, 8);
    const Bytes garbage = "\xFF\xD8 this is no jpeg";
    const struct {
        const char* what;
        Bytes file;
        k2d::Layout layout;
        k2d::ReadLimits limits;
        std::vector<int> records;  // records that load
        const char* problem;
    } cases[] = {
        {"slot beyond the set", fixtures::SlotsFile({{0, small}, {10, small}, {9, small}}), k2d::Layout::slots,
         {10, 10, 0}, {0, 2}, "record 1 is for slot 10; this file has slots 0 to 9"},
        {"more records than taken", fixtures::SlotsFile({{0, flare}, {1, flare}, {2, flare}}), k2d::Layout::slots,
         {2, 12, 128}, {0, 1}, "holds 3 images; only the first 2 are used"},
        {"flare of the wrong size", fixtures::SlotsFile({{0, small}, {4, flare}}), k2d::Layout::slots, {5, 12, 128},
         {1}, "image 0 is 8 x 8 pixels; this file needs 128 x 128 images"},
        {"image too large", fixtures::SequenceFile({wide, small}), k2d::Layout::sequence, {3, 0, 0}, {1},
         "image 0 is 4097 x 8 pixels"},
        {"undecodable image", fixtures::SequenceFile({small, garbage, small}), k2d::Layout::sequence, {3, 0, 0},
         {0, 2}, "image 1 is not a readable JPEG"},
        {"more images than the emitter takes", fixtures::SequenceFile({small, small, small, small}),
         k2d::Layout::sequence, {3, 0, 0}, {0, 1, 2}, "holds 4 images; only the first 3 are used"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const k2d::ReadResult result = Read(c.file, c.layout, c.limits);
        EXPECT_FALSE(result.damaged);
        std::vector<int> loaded;
        for (const k2d::Image& image : result.images) loaded.push_back(image.record);
        EXPECT_EQ(loaded, c.records);
        ASSERT_EQ(result.problems.size(), 1u);
        EXPECT_TRUE(Mentions(result, c.problem)) << result.problems[0];
        EXPECT_TRUE(Mentions(result, "test.k2d")) << "the message names the file";
    }
}

TEST(K2DImages, DamagedTableLoadsNothing)
{
    const Bytes jpeg = fixtures::GradientJpeg(8, 8);
    const Bytes file = K2DBuilder().Byte(0).Byte(2).SlotRecord("good", 0, jpeg).Byte(9).Raw("x").bytes();
    const k2d::ReadResult result = Read(file, k2d::Layout::slots);
    EXPECT_TRUE(result.damaged);
    EXPECT_TRUE(result.images.empty());
    ASSERT_EQ(result.problems.size(), 1u);
    EXPECT_TRUE(Mentions(result, "K2D file 'test.k2d' is damaged and was not loaded: record 1 runs past"));
}

// A file cut at any byte must read without a fault: a sound prefix gives the images it
// holds, anything else a message.
TEST(K2DImages, FilesCutAtEveryByteReadSafely)
{
    const Bytes a = fixtures::GradientJpeg(16, 16), b = fixtures::GradientJpeg(8, 8, fixtures::Kind::progressive);
    const struct {
        const char* what;
        Bytes file;
        k2d::Layout layout;
        bool withMask;
    } cases[] = {
        {"skin with mask", fixtures::SkinFile(a, &b), k2d::Layout::skin, true},
        {"sequence", fixtures::SequenceFile({a, b}), k2d::Layout::sequence, false},
        {"slots", fixtures::SlotsFile({{0, a}, {5, b}}), k2d::Layout::slots, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (std::size_t length = 0; length <= c.file.size(); ++length) {
            const k2d::ReadResult result = Read(c.file.substr(0, length), c.layout, {}, c.withMask);
            for (const k2d::Image& image : result.images) {
                ASSERT_NE(image.pixels, nullptr);
                ASSERT_GT(image.width * image.height, 0u);
            }
            if (result.damaged) {
                ASSERT_TRUE(result.images.empty()) << "cut at " << length;
            }
            if (length == c.file.size()) {
                EXPECT_TRUE(result.problems.empty());
            }
        }
    }
}

// A skin whose mask stops early keeps its base; the mask is left out with the reader's
// message instead of being shown as grey.
TEST(K2DImages, ImageThatEndsEarlyIsLeftOutWithAMessage)
{
    const Bytes base = fixtures::GradientJpeg(32, 32);
    const Bytes mask = fixtures::GradientJpeg(32, 32, fixtures::Kind::progressive);
    const Bytes halfMask = mask.substr(0, mask.size() / 2);
    const k2d::ReadResult result = Read(fixtures::SkinFile(base, &halfMask), k2d::Layout::skin, {}, true);
    ASSERT_EQ(result.images.size(), 1u);
    EXPECT_EQ(result.images[0].slot, 0);
    ASSERT_EQ(result.problems.size(), 1u);
    EXPECT_TRUE(Mentions(result, "K2D file 'test.k2d': image 1 ends early and was not loaded (Premature end"))
        << result.problems[0];
}

TEST(K2DImages, StoredSkinWithATruncatedMaskLoadsOnlyItsBase)
{
    const std::filesystem::path path = std::filesystem::path(VEK_HOSTILE_DIR) / "truncated-mask.k2d";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no damaged samples in " << VEK_HOSTILE_DIR;
    const k2d::ReadResult result = Read(fixtures::ReadFile(path), k2d::Layout::skin, {}, true);
    EXPECT_FALSE(result.damaged);
    ASSERT_EQ(result.images.size(), 1u);
    EXPECT_EQ(result.images[0].slot, 0);
    EXPECT_TRUE(Mentions(result, "image 1 ends early and was not loaded")) << testing::PrintToString(result.problems);
}

// 706 bytes whose header claims 4096 x 4096 are not turned into 48 MB of grey.
TEST(K2DImages, HugeHeaderWithoutDataIsLeftOut)
{
    const Bytes jpeg = fixtures::Jpeg(fixtures::Gradient(4096, 4096), 4096, 4096).substr(0, 706);
    const k2d::ReadResult result = Read(fixtures::SkinFile(jpeg), k2d::Layout::skin);
    EXPECT_TRUE(result.images.empty());
    EXPECT_TRUE(Mentions(result, "image 0 ends early and was not loaded"));
}

// The show's image budget, lowered for a test and put back afterwards.
class ImageBudgetTest : public testing::Test {
protected:
    void SetUp() override
    {
        budget_.SetCap(std::size_t(2) << 20);  // 2 MB: two 512 x 512 images fit, a third does not
        startInUse_ = budget_.InUse();
    }
    void TearDown() override { budget_.SetCap(k2d::kShowImageMemory); }
    k2d::ImageBudget& budget_ = k2d::ImageBudget::Show();
    std::size_t startInUse_ = 0;
};

TEST_F(ImageBudgetTest, ImagesPastTheCapAreRefusedAndFreedImagesGiveTheirMemoryBack)
{
    ASSERT_EQ(startInUse_, 0u);
    const Bytes skin = fixtures::SkinFile(fixtures::GradientJpeg(512, 512), nullptr);
    const std::size_t imageBytes = 512 * 512 * 3;
    std::vector<k2d::ReadResult> held;
    for (int i = 0; i < 2; ++i) {
        held.push_back(Read(skin, k2d::Layout::skin));
        ASSERT_EQ(held.back().images.size(), 1u) << testing::PrintToString(held.back().problems);
    }
    EXPECT_EQ(budget_.InUse(), 2 * imageBytes);

    // One message per refused image, and the file's other images still load.
    const Bytes small = fixtures::GradientJpeg(16, 16);
    const k2d::ReadResult refused =
        Read(fixtures::SequenceFile({fixtures::GradientJpeg(512, 512), small}), k2d::Layout::sequence);
    ASSERT_EQ(refused.images.size(), 1u);
    EXPECT_EQ(refused.images[0].width, 16u);
    ASSERT_EQ(refused.problems.size(), 1u);
    EXPECT_EQ(refused.problems[0], "K2D file 'test.k2d': image 0 (512 x 512 pixels) was not loaded: the show's "
                                   "images would use more than 2 MB.");

    // Moving an image keeps its share; freeing it gives the share back.
    k2d::Image moved = std::move(held[0].images[0]);
    held.clear();
    EXPECT_EQ(budget_.InUse(), imageBytes + refused.images[0].byteSize());
    moved = k2d::Image{};
    EXPECT_EQ(budget_.InUse(), refused.images[0].byteSize());
    EXPECT_EQ(Read(skin, k2d::Layout::skin).images.size(), 1u);
}

// The claimed size is checked before anything is decoded, so a header alone is enough to
// be refused, and a failed image holds nothing of the budget.
TEST_F(ImageBudgetTest, ClaimedSizeIsCheckedBeforeDecoding)
{
    const Bytes huge = fixtures::Jpeg(fixtures::Gradient(1024, 1024), 1024, 1024).substr(0, 706);
    const k2d::ReadResult result = Read(fixtures::SkinFile(huge), k2d::Layout::skin);
    EXPECT_TRUE(result.images.empty());
    EXPECT_TRUE(Mentions(result, "image 0 (1024 x 1024 pixels) was not loaded")) << testing::PrintToString(result.problems);
    EXPECT_EQ(budget_.InUse(), 0u);
    const k2d::ReadResult early = Read(fixtures::SkinFile(fixtures::GradientJpeg(256, 256).substr(0, 706)), k2d::Layout::skin);
    EXPECT_TRUE(early.images.empty());
    EXPECT_EQ(budget_.InUse(), 0u);
}

}  // namespace
