// K2D files: the bytes the packers write, the record tables the index reads back, and
// what damaged tables and failing packs report.
#include "ImageFixtures.h"
#include "TempDir.h"
#include "VEK_K2DFile.h"
#include "VEK_K2DPack.h"
#include "VEK_K2DTextures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
using fixtures::Bytes;
using fixtures::K2DBuilder;
using fixtures::MemoryFile;

const std::string kHeader = "5rb LayerText 2dEngine files";

int32_t Int32At(const Bytes& bytes, std::size_t at)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + std::size_t(i)]);
    return static_cast<int32_t>(value);
}

k2d::Index IndexOf(const Bytes& bytes, k2d::Layout layout, bool withMask = false)
{
    MemoryFile file(bytes);
    return k2d::IndexFile(file.get(), layout, withMask);
}

class Packing : public ::testing::Test {
protected:
    void SetUp() override
    {
        base = fixtures::GradientJpeg(16, 8);
        mask = fixtures::Jpeg(fixtures::Solid(8, 8, 0, 0, 0), 8, 8);
        dir.write("base.jpg", base);
        dir.write("mask.jpg", mask);
    }
    std::string Path(const char* name) const { return (dir / name).string(); }

    TempDir dir;
    Bytes base, mask;
};

TEST_F(Packing, SkinWithoutMaskIsHeaderSizeImageAndPad)
{
    ASSERT_TRUE(k2d::WriteSkin(Path("skin.k2d").c_str(), Path("base.jpg").c_str(), nullptr).ok());
    const Bytes file = dir.read("skin.k2d");
    const std::size_t s = base.size();
    ASSERT_EQ(file.size(), 28 + 4 + s + 1);
    EXPECT_EQ(file.substr(0, 28), kHeader);
    EXPECT_EQ(Int32At(file, 28), int32_t(s));
    EXPECT_EQ(file.substr(32, s), base);
    EXPECT_EQ(static_cast<unsigned char>(file[32 + s]), 0xFF);
}

TEST_F(Packing, SkinWithMaskAddsTheMaskWithoutSizeAndItsPad)
{
    ASSERT_TRUE(k2d::WriteSkin(Path("skin.k2d").c_str(), Path("base.jpg").c_str(), Path("mask.jpg").c_str()).ok());
    const Bytes file = dir.read("skin.k2d");
    const std::size_t s = base.size(), m = mask.size();
    ASSERT_EQ(file.size(), 28 + 4 + s + 1 + m + 1);
    EXPECT_EQ(file.substr(33 + s, m), mask);
    EXPECT_EQ(static_cast<unsigned char>(file[32 + s]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(file.back()), 0xFF);

    const k2d::Index index = IndexOf(file, k2d::Layout::skin, true);
    ASSERT_TRUE(index.ok()) << index.error;
    ASSERT_EQ(index.records.size(), 2u);
    EXPECT_EQ(index.records[0].offset, 32);
    EXPECT_EQ(index.records[0].size, long(s));
    EXPECT_EQ(index.records[1].offset, long(33 + s));
}

TEST_F(Packing, PackingTheSameSkinTwiceGivesIdenticalBytes)
{
    ASSERT_TRUE(k2d::PackSkin(Path("one.k2d").c_str(), Path("base.jpg").c_str(), Path("mask.jpg").c_str()));
    ASSERT_TRUE(k2d::PackSkin(Path("two.k2d").c_str(), Path("base.jpg").c_str(), Path("mask.jpg").c_str()));
    EXPECT_EQ(dir.read("one.k2d"), dir.read("two.k2d"));
    // Over an existing file: truncated, not appended to.
    ASSERT_TRUE(k2d::PackSkin(Path("one.k2d").c_str(), Path("base.jpg").c_str(), Path("mask.jpg").c_str()));
    EXPECT_EQ(dir.read("one.k2d"), dir.read("two.k2d"));
}

TEST_F(Packing, SequenceStoresCountThenSizedImages)
{
    ASSERT_TRUE(k2d::PackParticleAnimation({Path("base.jpg"), Path("mask.jpg"), Path("base.jpg")}, Path("p.k2d").c_str()));
    const Bytes file = dir.read("p.k2d");
    EXPECT_EQ(file, fixtures::SequenceFile({base, mask, base}));
    EXPECT_EQ(Int32At(file, 28), 3);
    const k2d::Index index = IndexOf(file, k2d::Layout::sequence);
    ASSERT_TRUE(index.ok()) << index.error;
    ASSERT_EQ(index.records.size(), 3u);
    EXPECT_EQ(index.records[1].offset, long(32 + 4 + base.size() + 1 + 4));
}

TEST_F(Packing, SlotsStoreNamesSlotsAndSizes)
{
    const std::vector<k2d::SlotEntry> entries{{"picture", 0, Path("base.jpg")}, {"", 7, Path("mask.jpg")}};
    ASSERT_TRUE(k2d::WriteSlots(Path("c.k2d").c_str(), entries).ok());
    const Bytes file = dir.read("c.k2d");
    const Bytes expected = K2DBuilder().Byte(0).Byte(2).SlotRecord("picture", 0, base).SlotRecord("", 7, mask).bytes();
    EXPECT_EQ(file, expected);
}

TEST_F(Packing, EntriesTheLayoutCannotHoldAreRefused)
{
    const std::string jpg = Path("base.jpg");
    EXPECT_EQ(k2d::WriteSlots(Path("c.k2d").c_str(), {{std::string(56, 'n'), 0, jpg}}).result, k2d::PackResult::badEntry);
    EXPECT_EQ(k2d::WriteSlots(Path("c.k2d").c_str(), {{"ok", 256, jpg}}).result, k2d::PackResult::badEntry);
    EXPECT_EQ(k2d::WriteSlots(Path("c.k2d").c_str(), {{"ok", -1, jpg}}).result, k2d::PackResult::badEntry);
    EXPECT_EQ(k2d::WriteSequence(Path("b.k2d").c_str(), std::vector<std::string>(256, jpg)).result,
              k2d::PackResult::badEntry);
    EXPECT_FALSE(std::filesystem::exists(dir / "c.k2d"));
    EXPECT_TRUE(k2d::WriteSlots(Path("c.k2d").c_str(), {{std::string(55, 'n'), 255, jpg}}).ok());
}

// The packers' failures, each with its message; none writes into or reads from a file
// that did not open, and a missing input leaves an existing output as it was.
TEST_F(Packing, FailuresReportTheirMessages)
{
    dir.write("old.k2d", "previous content");
    const std::string missing = Path("missing.jpg"), noFolder = Path("no/such/folder/out.k2d");
    struct Case {
        const char* what;
        bool (*pack)(const std::string& out, const std::string& base, const std::string& mask);
        std::string out, base, mask;
        const char* text;
    };
    auto skin = [](const std::string& out, const std::string& b, const std::string& m) {
        return k2d::PackSkin(out.c_str(), b.c_str(), m.empty() ? nullptr : m.c_str());
    };
    auto sequence = [](const std::string& out, const std::string& b, const std::string& m) {
        return k2d::PackParticleAnimation({b, m}, out.c_str());
    };
    const Case cases[] = {
        {"skin output", skin, noFolder, Path("base.jpg"), "", "engine2D: Fatal Error, packing. target packed file may be in use"},
        {"skin base", skin, Path("old.k2d"), missing, "", "engine2D: Fatal Error, packing , can't open JPG base"},
        {"skin mask", skin, Path("old.k2d"), Path("base.jpg"), missing, "engine2D: Fatal Error, packing, can`t open Mask JPG"},
        {"sequence output", sequence, noFolder, Path("base.jpg"), Path("mask.jpg"), "engine3D: Fatal Error, packing. Particle animations"},
        {"sequence input", sequence, Path("old.k2d"), Path("base.jpg"), missing, "engine2D: Fatal Error, packing , can't open JPG base"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fixtures::MessageCapture capture;
        EXPECT_FALSE(c.pack(c.out, c.base, c.mask));
        ASSERT_EQ(capture.messages().size(), 1u);
        EXPECT_EQ(capture.messages()[0].caption, "XML parser");
        EXPECT_EQ(capture.messages()[0].text, c.text);
        EXPECT_EQ(dir.read("old.k2d"), "previous content");
    }
}

TEST(K2DIndex, SequenceCountUsesOnlyItsLowByte)
{
    const Bytes jpeg = fixtures::GradientJpeg(8, 8);
    const struct {
        int64_t stored;
        std::vector<Bytes> images;
        std::size_t expected;
    } cases[] = {
        {0, {}, 0},
        {256, {}, 0},
        {257, {jpeg}, 1},
        {0x12345602, {jpeg, jpeg}, 2},
    };
    for (const auto& c : cases) {
        const k2d::Index index = IndexOf(fixtures::SequenceFile(c.images, c.stored), k2d::Layout::sequence);
        ASSERT_TRUE(index.ok()) << "count " << c.stored << ": " << index.error;
        EXPECT_EQ(index.records.size(), c.expected) << "count " << c.stored;
        EXPECT_EQ(index.storedCount, uint32_t(c.stored));
    }
}

TEST(K2DIndex, SlotRecordsAcceptEmptyNamesAnyReservedByteAndCutLongNames)
{
    const Bytes jpeg = fixtures::GradientJpeg(8, 8);
    const std::string longName(60, 'x');
    const Bytes file =
        K2DBuilder().Byte(0xA7).Byte(3).SlotRecord("", 4, jpeg).SlotRecord(longName, 9, jpeg).SlotRecord("end", 2, jpeg).bytes();
    const k2d::Index index = IndexOf(file, k2d::Layout::slots);
    ASSERT_TRUE(index.ok()) << index.error;
    ASSERT_EQ(index.records.size(), 3u);
    EXPECT_EQ(index.records[0].name, "");
    EXPECT_EQ(index.records[0].slot, 4);
    EXPECT_EQ(index.records[0].offset, 28 + 2 + 1 + 0 + 1 + 4);
    EXPECT_EQ(index.records[1].name, std::string(55, 'x'));
    EXPECT_EQ(index.records[1].nameLength, 60);
    EXPECT_EQ(index.records[2].name, "end") << "a long name must not shift the records after it";
    EXPECT_EQ(index.records[2].slot, 2);
}

TEST(K2DIndex, SkinMaskStartsRightAfterTheBasePadWhateverItHolds)
{
    const Bytes jpeg = fixtures::GradientJpeg(8, 8);
    const Bytes file = K2DBuilder().SizedImage(jpeg).Raw("not a jpeg at all").bytes();
    const k2d::Index index = IndexOf(file, k2d::Layout::skin, true);
    ASSERT_TRUE(index.ok()) << index.error;
    ASSERT_EQ(index.records.size(), 2u);
    EXPECT_EQ(index.records[1].offset, long(33 + jpeg.size()));
    EXPECT_EQ(index.records[1].size, 17);
    EXPECT_EQ(IndexOf(file, k2d::Layout::skin, false).records.size(), 1u);
}

// The mask is optional in the container: asked for one, a file that ends after the base
// image (with or without its pad byte) is a skin without a mask, not a damaged file.
TEST(K2DIndex, SkinWithoutMaskIsSoundWhenAMaskIsAskedFor)
{
    const Bytes jpeg = fixtures::GradientJpeg(8, 8);
    for (const Bytes& file : {K2DBuilder().SizedImage(jpeg).bytes(), K2DBuilder().Int32(int64_t(jpeg.size())).Raw(jpeg).bytes()}) {
        const k2d::Index index = IndexOf(file, k2d::Layout::skin, true);
        ASSERT_TRUE(index.ok()) << index.error;
        ASSERT_EQ(index.records.size(), 1u);
        EXPECT_EQ(index.records[0].offset, 32);
        EXPECT_EQ(index.records[0].slot, 0);
    }
}

// Hostile and damaged tables: every count, size and offset is checked against the file.
TEST(K2DIndex, DamagedTablesAreRefusedWithAReason)
{
    const Bytes jpeg = fixtures::GradientJpeg(8, 8);
    const int64_t s = int64_t(jpeg.size());
    struct Case {
        const char* what;
        Bytes file;
        k2d::Layout layout;
        bool withMask;
        const char* reason;
    };
    const Case cases[] = {
        {"empty file", "", k2d::Layout::skin, false, "ends inside its header"},
        {"header only", K2DBuilder().bytes(), k2d::Layout::sequence, false, "ends inside its header"},
        {"skin size cut", K2DBuilder().Byte(1).Byte(0).bytes(), k2d::Layout::skin, false, "ends inside its header"},
        {"skin negative size", K2DBuilder().Int32(-5).Image(jpeg).bytes(), k2d::Layout::skin, false, "claims -5 bytes"},
        {"skin zero size", K2DBuilder().Int32(0).Image(jpeg).bytes(), k2d::Layout::skin, false, "claims 0 bytes"},
        {"skin size past end", K2DBuilder().Int32(s + 1).Raw(jpeg).bytes(), k2d::Layout::skin, false, "runs past the end"},
        {"skin size 2 GB", K2DBuilder().Int32(0x7FFFFFFF).Raw(jpeg).bytes(), k2d::Layout::skin, false, "runs past the end"},
        {"sequence count beyond images", fixtures::SequenceFile({jpeg}, 2), k2d::Layout::sequence, false, "record 1 runs past"},
        {"sequence count 255, no images", fixtures::SequenceFile({}, 255), k2d::Layout::sequence, false, "record 0 runs past"},
        {"sequence negative size", K2DBuilder().Int32(1).Int32(-1).Image(jpeg).bytes(), k2d::Layout::sequence, false, "claims -1 bytes"},
        {"slots count cut", K2DBuilder().Byte(0).bytes(), k2d::Layout::slots, false, "ends inside its header"},
        {"slots count beyond records", K2DBuilder().Byte(0).Byte(2).SlotRecord("a", 0, jpeg).bytes(), k2d::Layout::slots, false, "record 1 runs past"},
        {"slots name past end", K2DBuilder().Byte(0).Byte(1).Byte(200).Raw("short").bytes(), k2d::Layout::slots, false, "record 0 runs past"},
        {"slots size past end", K2DBuilder().Byte(0).Byte(1).Byte(1).Raw("a").Byte(0).Int32(s * 2).Raw(jpeg).bytes(), k2d::Layout::slots, false, "runs past the end"},
    };
    for (const Case& c : cases) {
        const k2d::Index index = IndexOf(c.file, c.layout, c.withMask);
        EXPECT_FALSE(index.ok()) << c.what;
        EXPECT_NE(index.error.find(c.reason), std::string::npos) << c.what << ": " << index.error;
    }
}

// Whatever their layout, the readers report a missing file with their own message.
TEST(K2DReaders, MissingFilesReportTheirMessages)
{
    fixtures::MessageCapture capture;
    k2d::SkinTextures skin;
    EXPECT_FALSE(k2d::LoadSkin("no/such/skin.k2d", true, true, skin));
    EXPECT_FALSE(skin.hasBase);
    GLuint sprites[k2d::kSpriteSlots] = {};
    std::vector<k2d::Image> images;
    EXPECT_FALSE(k2d::LoadSpriteImages("no/such/load.k2d", sprites, images));
    EXPECT_TRUE(images.empty());
    k2d::LensFlareTextures flares;
    EXPECT_FALSE(k2d::LoadLensFlares("no/such/lens.k2d", flares));
    k2d::ParticleTextures particles;
    EXPECT_FALSE(k2d::LoadParticleImages("no/such/particles.k2d", particles));
    EXPECT_EQ(particles.count, 0);
    EXPECT_FALSE(k2d::LoadSkin(nullptr, false, true, skin)) << "a skin without a file name opens nothing";

    const std::vector<std::string> expected{"K2D Scene File Not Founde.", "K2D Scene File Not Founde.",
                                            "K2D LensFlare File Not Founde.", "K2D Particle_Sys File Not Founde.",
                                            "K2D Scene File Not Founde."};
    ASSERT_EQ(capture.messages().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(capture.messages()[i].caption, "K2D Loading ERROR");
        EXPECT_EQ(capture.messages()[i].text, expected[i]);
    }
}

}  // namespace
