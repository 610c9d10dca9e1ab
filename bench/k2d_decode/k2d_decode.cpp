// Decodes every image of a K2D sequence file of 512 x 512 JPEGs the way the readers do
// (index, header, allocation, decode) and, side by side in the same run, with a bare
// libjpeg-turbo loop that decodes the same bytes into buffers of its own. Prints the
// median time of each and their ratio; the target is at most 1.10.
//
//   bench_k2d_decode [IMAGES [ROUNDS]]     (defaults: 60 images, 9 rounds)
#include "VEK_JpegWriter.h"
#include "VEK_K2DFile.h"
#include "VEK_K2DImages.h"
#include "VEK_K2DPack.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
constexpr uint32_t kSide = 512;
constexpr double kTarget = 1.10;

// A picture with smooth areas, edges and fine detail, different for every index, so the
// JPEGs are of ordinary photographic size.
std::vector<unsigned char> Picture(int index)
{
    std::vector<unsigned char> rgb(std::size_t(kSide) * kSide * 3);
    const double fx = 0.01 + 0.003 * index, fy = 0.02 + 0.002 * (index % 7);
    uint32_t seed = 12345u + uint32_t(index) * 7919u;
    for (uint32_t y = 0; y < kSide; ++y)
        for (uint32_t x = 0; x < kSide; ++x) {
            seed = seed * 1103515245u + 12345u;
            const double noise = double((seed >> 16) & 31) - 16;
            const double wave = 100 * std::sin(x * fx) * std::cos(y * fy);
            const bool disc = (x - 256.0) * (x - 256.0) + (y - 200.0) * (y - 200.0) < 90.0 * 90.0;
            unsigned char* p = &rgb[(std::size_t(y) * kSide + x) * 3];
            p[0] = static_cast<unsigned char>(std::clamp(128 + wave + noise, 0.0, 255.0));
            p[1] = static_cast<unsigned char>(std::clamp((disc ? 220.0 : 60.0) + noise, 0.0, 255.0));
            p[2] = static_cast<unsigned char>(std::clamp(double(x ^ y) / 2 + noise, 0.0, 255.0));
        }
    return rgb;
}

bool MakeK2D(const fs::path& folder, int images, fs::path& k2dFile)
{
    std::vector<std::string> inputs;
    for (int i = 0; i < images; ++i) {
        const auto rgb = Picture(i);
        const std::string path = (folder / ("image" + std::to_string(i) + ".jpg")).string();
        if (!WriteJpegFile(path, rgb.data(), kSide, kSide, JpegWriteOptions{90})) return false;
        inputs.push_back(path);
    }
    k2dFile = folder / "bench.k2d";
    return k2d::WriteSequence(k2dFile.c_str(), inputs).ok();
}

// What the K2D readers do, without the texture upload.
std::size_t DecodeWithReader(std::FILE* file)
{
    const k2d::ReadResult result = k2d::ReadImages(file, "bench.k2d", k2d::Layout::sequence, false, k2d::ReadLimits{});
    return result.images.size();
}

// The baseline: libjpeg-turbo alone, from the same file positions, each image into a
// buffer of its own that is kept until the round ends, as the readers keep theirs.
std::size_t DecodeBare(std::FILE* file, const std::vector<long>& offsets)
{
    std::vector<std::unique_ptr<unsigned char[]>> images;
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    for (long offset : offsets) {
        std::fseek(file, offset, SEEK_SET);
        jpeg_stdio_src(&info, file);
        jpeg_read_header(&info, TRUE);
        jpeg_start_decompress(&info);
        const std::size_t rowBytes = std::size_t(info.output_width) * 3;
        images.emplace_back(new unsigned char[rowBytes * info.output_height]);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = images.back().get() + info.output_scanline * rowBytes;
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
    }
    jpeg_destroy_decompress(&info);
    return images.size();
}

// For reference: the same loop into one reused buffer, so no fresh memory is touched.
// No reader can do this, since every image is kept, but it shows what the page faults of
// keeping 60 images cost.
std::size_t DecodeBareReused(std::FILE* file, const std::vector<long>& offsets, std::vector<unsigned char>& buffer)
{
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    for (long offset : offsets) {
        std::fseek(file, offset, SEEK_SET);
        jpeg_stdio_src(&info, file);
        jpeg_read_header(&info, TRUE);
        jpeg_start_decompress(&info);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = &buffer[std::size_t(info.output_scanline) * info.output_width * 3];
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
    }
    jpeg_destroy_decompress(&info);
    return offsets.size();
}

template <typename Work>
double Seconds(Work work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
}  // namespace

int main(int argc, char** argv)
{
    const int images = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
    const fs::path folder = fs::temp_directory_path() / ("bench_k2d_decode_" + std::to_string(getpid()));
    fs::create_directories(folder);
    fs::path k2dFile;
    if (!MakeK2D(folder, images, k2dFile)) {
        std::fprintf(stderr, "bench_k2d_decode: cannot write the test file in %s\n", folder.c_str());
        fs::remove_all(folder);
        return 1;
    }
    std::FILE* file = std::fopen(k2dFile.c_str(), "rb");
    const k2d::Index index = k2d::IndexSequence(file);
    std::vector<long> offsets;
    for (const k2d::Record& record : index.records) offsets.push_back(record.offset);

    std::vector<double> ours, bare, reused;
    std::vector<unsigned char> buffer(std::size_t(kSide) * kSide * 3);
    std::size_t checked = 0;
    DecodeBare(file, offsets);  // warm the file cache and the library
    for (int round = 0; round < rounds; ++round) {
        bare.push_back(Seconds([&] { checked += DecodeBare(file, offsets); }));
        ours.push_back(Seconds([&] { checked += DecodeWithReader(file); }));
        reused.push_back(Seconds([&] { DecodeBareReused(file, offsets, buffer); }));
    }
    std::fclose(file);
    const long bytes = long(fs::file_size(k2dFile));
    fs::remove_all(folder);
    if (checked != std::size_t(2 * rounds * images)) {
        std::fprintf(stderr, "bench_k2d_decode: not every image decoded\n");
        return 1;
    }

    const double ratio = Median(ours) / Median(bare);
    std::printf("K2D file: %d JPEGs of %u x %u, %ld bytes; median of %d rounds\n", images, kSide, kSide, bytes, rounds);
    std::printf("  bare libjpeg-turbo loop   %8.1f ms  (%.2f ms an image)\n", Median(bare) * 1e3, Median(bare) * 1e3 / images);
    std::printf("  K2D reader (JpegReader)   %8.1f ms  (%.2f ms an image)\n", Median(ours) * 1e3, Median(ours) * 1e3 / images);
    std::printf("  ratio reader / bare       %8.3f  (target <= %.2f: %s)\n", ratio, kTarget, ratio <= kTarget ? "met" : "NOT met");
    std::printf("  for reference, the bare loop into one reused buffer: %.1f ms (reader / that %.3f)\n",
                Median(reused) * 1e3, Median(ours) / Median(reused));
    return 0;
}
