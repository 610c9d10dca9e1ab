// JpegReader: sizes, row layout, stream positions, the JPEG variants real encoders write,
// and damaged data that must never make it write past the caller's buffer.
#include "ImageFixtures.h"
#include "TempDir.h"
#include "VEK_JpegReader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {
using fixtures::Bytes;
using fixtures::Kind;
using fixtures::MemoryFile;

constexpr unsigned char kGuard = 0xA5;
constexpr std::size_t kGuardBytes = 64;

// A destination of exactly `size` bytes followed by guard bytes that must stay untouched.
struct GuardedBuffer {
    explicit GuardedBuffer(std::size_t size) : size(size), bytes(size + kGuardBytes, kGuard) {}
    unsigned char* data() { return bytes.data(); }
    const unsigned char* data() const { return bytes.data(); }
    bool GuardIntact() const
    {
        for (std::size_t i = size; i < bytes.size(); ++i)
            if (bytes[i] != kGuard) return false;
        return true;
    }
    std::size_t size;
    std::vector<unsigned char> bytes;
};

struct Decoded {
    bool ok = false;
    GuardedBuffer pixels{0};
};

// Decodes a JPEG held in memory the way the K2D readers do: header, back, decode.
Decoded DecodeBytes(const Bytes& jpeg, JpegReader& reader)
{
    Decoded decoded;
    MemoryFile file(jpeg);
    if (!reader.ReadHeader(file.get())) return decoded;
    decoded.pixels = GuardedBuffer(reader.ByteSize());
    std::rewind(file.get());
    decoded.ok = reader.Decode(file.get(), decoded.pixels.data(), decoded.pixels.size);
    return decoded;
}

TEST(JpegReader, OnePixelImageGivesExactlyThreeBytes)
{
    const Bytes jpeg = fixtures::Jpeg(fixtures::Solid(1, 1, 200, 100, 50), 1, 1);
    MemoryFile file(jpeg);
    JpegReader reader;
    ASSERT_TRUE(reader.ReadHeader(file.get()));
    EXPECT_EQ(reader.Width(), 1u);
    EXPECT_EQ(reader.Height(), 1u);
    EXPECT_EQ(reader.ByteSize(), 3u);

    GuardedBuffer pixels(3);
    std::rewind(file.get());
    ASSERT_TRUE(reader.Decode(file.get(), pixels.data(), 3)) << reader.LastMessage();
    EXPECT_TRUE(pixels.GuardIntact());
    EXPECT_NEAR(pixels.bytes[0], 200, 4);
    EXPECT_NEAR(pixels.bytes[1], 100, 4);
    EXPECT_NEAR(pixels.bytes[2], 50, 4);
}

// 5 x 3 = 15 bytes a row: a reader that padded rows to 4 bytes would shift every row after
// the first and swap colour channels.
TEST(JpegReader, RowsAreWidthTimesThreeBytesWithoutPadding)
{
    for (uint32_t width : {5u, 7u, 13u}) {
        const uint32_t height = 6;
        // Grey steps of 16 levels or more a column: no colour for chroma subsampling to
        // blur, while a row starting a byte late mixes neighbouring columns.
        std::vector<unsigned char> picture(std::size_t(width) * height * 3);
        for (std::size_t i = 0; i < picture.size(); ++i) {
            const std::size_t x = i / 3 % width, y = i / 3 / width;
            picture[i] = static_cast<unsigned char>(20 + 200 * x / (width - 1) + 4 * y);
        }
        const Bytes jpeg = fixtures::Jpeg(picture, width, height, Kind::baseline, 100);
        JpegReader reader;
        const Decoded decoded = DecodeBytes(jpeg, reader);
        ASSERT_TRUE(decoded.ok) << reader.LastMessage();
        const GuardedBuffer* pixels = &decoded.pixels;
        ASSERT_EQ(pixels->size, std::size_t(width) * height * 3);
        EXPECT_TRUE(pixels->GuardIntact());
        EXPECT_LE(fixtures::MaxDifference(pixels->data(), picture.data(), picture.size()), 6) << "width " << width;
    }
}

TEST(JpegReader, ImageInsideAContainerDecodesLikeTheLooseFile)
{
    TempDir dir;
    const Bytes jpeg = fixtures::GradientJpeg(48, 40);
    dir.write("loose.jpg", jpeg);
    dir.write("skin.k2d", fixtures::SkinFile(jpeg));

    JpegReader reader;
    std::FILE* loose = std::fopen((dir / "loose.jpg").c_str(), "rb");
    ASSERT_TRUE(loose);
    std::vector<unsigned char> expected(48 * 40 * 3);
    ASSERT_TRUE(reader.Decode(loose, expected.data(), expected.size()));
    std::fclose(loose);

    std::FILE* packed = std::fopen((dir / "skin.k2d").c_str(), "rb");
    ASSERT_TRUE(packed);
    std::fseek(packed, 32, SEEK_SET);
    ASSERT_TRUE(reader.ReadHeader(packed));
    EXPECT_EQ(reader.Width(), 48u);
    EXPECT_EQ(reader.Height(), 40u);
    std::fseek(packed, 32, SEEK_SET);
    std::vector<unsigned char> actual(reader.ByteSize());
    ASSERT_TRUE(reader.Decode(packed, actual.data(), actual.size()));
    std::fclose(packed);
    EXPECT_EQ(actual, expected);
}

// Every variant comes out as RGB close to the picture that was encoded (greyscale as its
// brightness in all three channels).
TEST(JpegReader, EncoderVariantsDecodeToRgb)
{
    const uint32_t width = 37, height = 29;  // not a multiple of the 8 or 16 pixel blocks
    const auto picture = fixtures::Gradient(width, height);
    for (Kind kind : {Kind::baseline, Kind::progressive, Kind::restartMarkers, Kind::cmykAdobe, Kind::greyscale}) {
        SCOPED_TRACE(fixtures::KindName(kind));
        JpegReader reader;
        const Decoded decoded = DecodeBytes(fixtures::Jpeg(picture, width, height, kind), reader);
        ASSERT_TRUE(decoded.ok) << reader.LastMessage();
        const GuardedBuffer* pixels = &decoded.pixels;
        EXPECT_EQ(reader.Width(), width);
        EXPECT_EQ(reader.Height(), height);
        EXPECT_TRUE(pixels->GuardIntact());
        if (kind != Kind::greyscale) {
            EXPECT_LE(fixtures::MaxDifference(pixels->data(), picture.data(), picture.size()), 16);
            continue;
        }
        for (std::size_t i = 0; i < picture.size(); i += 3) {
            const unsigned char* p = pixels->data() + i;
            ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]) << "pixel " << i / 3;
            const double luma = 0.299 * picture[i] + 0.587 * picture[i + 1] + 0.114 * picture[i + 2];
            ASSERT_NEAR(p[0], luma, 8.0) << "pixel " << i / 3;
        }
    }
}

// The same variants written by Debian's cjpeg, a different program than our encoder.
TEST(JpegReader, FilesWrittenByCjpegDecode)
{
    if (std::system("command -v cjpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "cjpeg (libjpeg-turbo-progs) missing";
    TempDir dir;
    const uint32_t width = 50, height = 34;
    const auto picture = fixtures::Gradient(width, height);
    dir.write("in.ppm", "P6\n50 34\n255\n" + Bytes(picture.begin(), picture.end()));
    const std::pair<const char*, const char*> variants[] = {
        {"baseline", "-quality 95"},
        {"progressive", "-quality 95 -progressive"},
        {"restart", "-quality 95 -restart 1"},
        {"greyscale", "-quality 95 -grayscale"},
        {"optimized Huffman tables", "-quality 95 -optimize"},
    };
    for (const auto& [name, flags] : variants) {
        SCOPED_TRACE(name);
        const std::string out = (dir / "out.jpg").string();
        const std::string command =
            std::string("cjpeg ") + flags + " -outfile '" + out + "' '" + (dir / "in.ppm").string() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        JpegReader reader;
        const Decoded decoded = DecodeBytes(dir.read("out.jpg"), reader);
        ASSERT_TRUE(decoded.ok) << reader.LastMessage();
        const GuardedBuffer* pixels = &decoded.pixels;
        EXPECT_EQ(pixels->size, std::size_t(width) * height * 3);
        EXPECT_TRUE(pixels->GuardIntact());
        if (std::string(name) != "greyscale") {
            EXPECT_LE(fixtures::MaxDifference(pixels->data(), picture.data(), picture.size()), 16);
        }
    }
}

// A file cut at any byte either fails or decodes as far as it goes; the buffer of the
// announced size is never overrun.
TEST(JpegReader, TruncatedFilesNeverWritePastTheBuffer)
{
    for (Kind kind : {Kind::baseline, Kind::progressive, Kind::cmykAdobe}) {
        SCOPED_TRACE(fixtures::KindName(kind));
        const Bytes jpeg = fixtures::GradientJpeg(24, 16, kind);
        for (std::size_t length = 0; length < jpeg.size(); ++length) {
            JpegReader reader;
            MemoryFile file(jpeg.substr(0, length));
            GuardedBuffer pixels(24 * 16 * 3);
            reader.Decode(file.get(), pixels.data(), pixels.size);
            ASSERT_TRUE(pixels.GuardIntact()) << "cut at " << length;
        }
    }
}

TEST(JpegReader, TruncatedFileIsReportedAsAWarning)
{
    const Bytes jpeg = fixtures::GradientJpeg(64, 64);
    JpegReader reader;
    MemoryFile file(jpeg.substr(0, jpeg.size() / 2));
    std::vector<unsigned char> pixels(64 * 64 * 3);
    reader.Decode(file.get(), pixels.data(), pixels.size());
    EXPECT_NE(std::string(reader.LastMessage()), "");
}

TEST(JpegReader, ImageLargerThanTheBufferIsNotDecoded)
{
    const Bytes jpeg = fixtures::GradientJpeg(16, 16);
    JpegReader reader;
    MemoryFile file(jpeg);
    GuardedBuffer pixels(16 * 16 * 3 - 1);
    EXPECT_FALSE(reader.Decode(file.get(), pixels.data(), pixels.size));
    EXPECT_TRUE(pixels.GuardIntact());
    EXPECT_EQ(pixels.bytes[0], kGuard) << "nothing may be written";
    EXPECT_EQ(reader.RowsDecoded(), 0u);
}

TEST(JpegReader, DataThatIsNoJpegFailsWithTheLibrarysText)
{
    for (const Bytes& data : {Bytes(), Bytes("not a picture at all"), Bytes("\xFF\xD8\xFF\xD9", 4)}) {
        JpegReader reader;
        MemoryFile file(data);
        EXPECT_FALSE(reader.ReadHeader(file.get()));
        EXPECT_EQ(reader.Width(), 0u);
        EXPECT_NE(std::string(reader.LastMessage()), "");
        std::rewind(file.get());
        unsigned char pixels[16];
        EXPECT_FALSE(reader.Decode(file.get(), pixels, sizeof pixels));
    }
}

// A reader goes on working after a failure: the jump back leaves nothing half set up.
TEST(JpegReader, ReaderIsReusableAfterAFailure)
{
    JpegReader reader;
    MemoryFile bad(Bytes("\xFF\xD8garbage", 9));
    EXPECT_FALSE(reader.ReadHeader(bad.get()));
    const Bytes jpeg = fixtures::GradientJpeg(8, 8);
    EXPECT_TRUE(DecodeBytes(jpeg, reader).ok);
    EXPECT_STREQ(reader.LastMessage(), "");
}

}  // namespace

namespace {
// The first bytes of a large JPEG: a complete header that claims the whole picture, and
// hardly any image data behind it.
Bytes HeaderOfLargeJpeg(uint32_t side, std::size_t length)
{
    return fixtures::Jpeg(fixtures::Gradient(side, side), side, side).substr(0, length);
}
}  // namespace

// libjpeg meets the early end with a warning and would fill the rest of the image with
// grey; the reader must call such an image damaged, whichever way it was encoded.
TEST(JpegReader, FileThatEndsEarlyIsNotDecoded)
{
    const struct {
        const char* what;
        Bytes jpeg;
        uint32_t side;
    } cases[] = {
        {"706 bytes of a 4096 x 4096 header", HeaderOfLargeJpeg(4096, 706), 4096},
        {"half a baseline file", fixtures::GradientJpeg(64, 64).substr(0, fixtures::GradientJpeg(64, 64).size() / 2), 64},
        {"half a progressive file",
         fixtures::GradientJpeg(64, 64, Kind::progressive).substr(0, fixtures::GradientJpeg(64, 64, Kind::progressive).size() / 2),
         64},
        {"all but the end marker", fixtures::GradientJpeg(64, 64).substr(0, fixtures::GradientJpeg(64, 64).size() - 2), 64},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        JpegReader reader;
        const Decoded decoded = DecodeBytes(c.jpeg, reader);
        EXPECT_EQ(reader.Width(), c.side);
        EXPECT_EQ(reader.Height(), c.side);
        EXPECT_FALSE(decoded.ok);
        EXPECT_TRUE(reader.EndedEarly());
        EXPECT_LT(reader.RowsDecoded(), c.side);
        EXPECT_NE(std::string(reader.LastMessage()).find("Premature end"), std::string::npos) << reader.LastMessage();
        EXPECT_TRUE(decoded.pixels.GuardIntact());
    }
    // The flag belongs to the operation: a whole file afterwards decodes cleanly.
    JpegReader reader;
    DecodeBytes(HeaderOfLargeJpeg(256, 400), reader);
    ASSERT_TRUE(reader.EndedEarly());
    EXPECT_TRUE(DecodeBytes(fixtures::GradientJpeg(16, 16), reader).ok);
    EXPECT_FALSE(reader.EndedEarly());
}
