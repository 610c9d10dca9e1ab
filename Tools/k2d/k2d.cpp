// k2d: lists, unpacks and packs the K2D image containers of a show.
#include "K2DListing.h"
#include "VEK_JpegReader.h"
#include "VEK_K2DFile.h"
#include "VEK_K2DPack.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {
constexpr int kFailed = 1;
constexpr int kBadUsage = 2;

const char* const kUsage =
    "Usage: k2d COMMAND ...\n"
    "Lists, unpacks and packs K2D image containers (JPEG files behind a 28-byte header).\n"
    "\n"
    "  k2d list FILE                          layout, records, sizes and image dimensions\n"
    "  k2d extract FILE DIR                   write every stored JPEG into DIR\n"
    "  k2d pack-skin OUT BASE.jpg [MASK.jpg]  layout A: a skin image and its optional mask\n"
    "  k2d pack-sequence OUT A.jpg B.jpg ...  layout B: an image sequence (particle animations)\n"
    "  k2d pack-slots OUT NAME:SLOT:FILE.jpg ...\n"
    "                                         layout C: named slots (\"escena/load.k2d\": slots 0-9;\n"
    "                                         \"escena/lens.k2d\": at most 5 records, slots 0-11,\n"
    "                                         128 x 128 images)\n"
    "\n"
    "Images are stored byte for byte and never scaled: give them the size the show needs\n"
    "(powers of two for OpenGL 1.1). Exit status 0 on success, 1 on failure, 2 on bad usage.\n";

int Usage(std::FILE* out, int status)
{
    std::fputs(kUsage, out);
    return status;
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "k2d: %s\n", message.c_str());
    return kFailed;
}

bool Refuse(const std::string& message)
{
    Fail(message);
    return false;
}

class File {
public:
    explicit File(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {}
    ~File()
    {
        if (file_) std::fclose(file_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    std::FILE* get() const { return file_; }

private:
    std::FILE* file_;
};

std::string ImageSize(JpegReader& reader, std::FILE* file, long offset)
{
    if (std::fseek(file, offset, SEEK_SET) != 0 || !reader.ReadHeader(file))
        return std::string("not a readable JPEG (") + reader.LastMessage() + ")";
    return std::to_string(reader.Width()) + " x " + std::to_string(reader.Height());
}

// Opens a K2D file and tells its layout; false after saying why not.
bool Inspect(const std::string& path, File& file, k2dtool::Guess& guess)
{
    if (!file.get()) return Refuse("cannot open " + path + ": " + std::strerror(errno));
    std::string reasons;
    auto found = k2dtool::GuessLayout(file.get(), reasons);
    if (!found) return Refuse(path + " is not a K2D file of any layout:\n" + reasons);
    guess = std::move(*found);
    return true;
}

std::string RecordLabel(const k2dtool::Guess& guess, const k2d::Record& record)
{
    switch (guess.layout) {
    case k2d::Layout::skin: return record.slot == 0 ? "base" : "mask";
    case k2d::Layout::sequence: return "image " + std::to_string(record.slot);
    case k2d::Layout::slots: break;
    }
    std::string label = "slot " + std::to_string(record.slot) + " \"" + record.name + "\"";
    if (record.nameLength > k2d::kMaxNameLength) label += " (name cut from " + std::to_string(record.nameLength) + ")";
    return label;
}

int List(const std::string& path)
{
    File file(path);
    k2dtool::Guess guess;
    if (!Inspect(path, file, guess)) return kFailed;
    const k2d::Index& index = guess.index;
    std::printf("%s: layout %s, %zu image%s, %ld bytes\n", path.c_str(), k2d::LayoutName(guess.layout),
                index.records.size(), index.records.size() == 1 ? "" : "s", k2d::FileSize(file.get()));
    if (guess.layout == k2d::Layout::sequence && index.storedCount > 255)
        std::printf("  stored count %u: readers use its low byte, %u\n", index.storedCount, index.storedCount & 0xFF);
    JpegReader reader;
    std::printf("  %-6s %10s %10s  %-12s %s\n", "record", "offset", "bytes", "image", "what");
    for (std::size_t i = 0; i < index.records.size(); ++i) {
        const k2d::Record& record = index.records[i];
        std::printf("  %-6zu %10ld %10ld  %-12s %s\n", i, record.offset, record.size,
                    ImageSize(reader, file.get(), record.offset).c_str(), RecordLabel(guess, record).c_str());
    }
    return 0;
}

// A name fit for a file: letters, digits, '.', '-' and '_'; anything else becomes '_'.
std::string SafeName(const std::string& name)
{
    std::string safe;
    for (char c : name) safe += std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' ? c : '_';
    return safe;
}

std::string ExtractName(const k2dtool::Guess& guess, std::size_t number, const k2d::Record& record)
{
    char buffer[32];
    switch (guess.layout) {
    case k2d::Layout::skin: return record.slot == 0 ? "base.jpg" : "mask.jpg";
    case k2d::Layout::sequence: std::snprintf(buffer, sizeof buffer, "image%03zu.jpg", number); return buffer;
    case k2d::Layout::slots: break;
    }
    std::snprintf(buffer, sizeof buffer, "%02zu-slot%d", number, record.slot);
    return record.name.empty() ? std::string(buffer) + ".jpg" : std::string(buffer) + "-" + SafeName(record.name) + ".jpg";
}

// The stored JPEG bytes. A skin's mask runs to the end of the file, where the packers
// put one pad byte after it.
bool ReadRecord(std::FILE* file, const k2d::Record& record, bool runsToEnd, std::vector<unsigned char>& bytes)
{
    bytes.resize(std::size_t(record.size));
    if (std::fseek(file, record.offset, SEEK_SET) != 0) return false;
    if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) return false;
    if (runsToEnd && !bytes.empty() && bytes.back() == k2d::kPadByte) bytes.pop_back();
    return true;
}

bool WriteBytes(const fs::path& path, const std::vector<unsigned char>& bytes)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

int Extract(const std::string& path, const std::string& folder)
{
    File file(path);
    k2dtool::Guess guess;
    if (!Inspect(path, file, guess)) return kFailed;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) return Fail("cannot create " + folder + ": " + error.message());
    for (std::size_t i = 0; i < guess.index.records.size(); ++i) {
        const k2d::Record& record = guess.index.records[i];
        std::vector<unsigned char> bytes;
        const bool isMask = guess.layout == k2d::Layout::skin && record.slot == 1;
        if (!ReadRecord(file.get(), record, isMask, bytes)) return Fail("cannot read " + path);
        const fs::path out = fs::path(folder) / ExtractName(guess, i, record);
        if (!WriteBytes(out, bytes)) return Fail("cannot write " + out.string());
        std::printf("%s\n", out.c_str());
    }
    return 0;
}

// Every input must be a JPEG the player can read; a size that is no power of two only
// gets a note.
bool CheckJpeg(const std::string& path)
{
    File file(path);
    if (!file.get()) return Refuse("cannot open " + path + ": " + std::strerror(errno));
    JpegReader reader;
    if (!reader.ReadHeader(file.get())) return Refuse(path + " is not a readable JPEG (" + reader.LastMessage() + ")");
    auto powerOfTwo = [](uint32_t n) { return (n & (n - 1)) == 0; };
    if (!powerOfTwo(reader.Width()) || !powerOfTwo(reader.Height()))
        std::fprintf(stderr, "k2d: note: %s is %u x %u, not a power-of-two size; OpenGL 1.1 drivers need powers of two\n",
                     path.c_str(), reader.Width(), reader.Height());
    return true;
}

bool CheckJpegs(const std::vector<std::string>& paths)
{
    for (const std::string& path : paths)
        if (!CheckJpeg(path)) return false;
    return true;
}

int Finish(const k2d::PackStatus& status, const std::string& out, const std::vector<std::string>& inputs)
{
    switch (status.result) {
    case k2d::PackResult::ok: return 0;
    case k2d::PackResult::outputFailed: return Fail("cannot write " + out);
    case k2d::PackResult::inputFailed: return Fail("cannot read " + inputs[std::size_t(status.failedInput)]);
    case k2d::PackResult::badEntry: return Fail("more than 255 images: the layout cannot hold them");
    }
    return kFailed;
}

int PackSkin(const std::vector<std::string>& args)
{
    if (args.size() < 2 || args.size() > 3) return Usage(stderr, kBadUsage);
    const std::vector<std::string> inputs(args.begin() + 1, args.end());
    if (!CheckJpegs(inputs)) return kFailed;
    const char* mask = inputs.size() == 2 ? inputs[1].c_str() : nullptr;
    return Finish(k2d::WriteSkin(args[0].c_str(), inputs[0].c_str(), mask), args[0], inputs);
}

int PackSequence(const std::vector<std::string>& args)
{
    if (args.size() < 2) return Usage(stderr, kBadUsage);
    const std::vector<std::string> inputs(args.begin() + 1, args.end());
    if (inputs.size() > 255) return Fail("more than 255 images: the layout cannot hold them");
    if (!CheckJpegs(inputs)) return kFailed;
    return Finish(k2d::WriteSequence(args[0].c_str(), inputs), args[0], inputs);
}

// NAME:SLOT:FILE; the file name may itself hold ':'.
bool ParseSlotEntry(const std::string& text, k2d::SlotEntry& entry)
{
    const std::size_t first = text.find(':');
    const std::size_t second = first == std::string::npos ? first : text.find(':', first + 1);
    if (second == std::string::npos) return Refuse("\"" + text + "\" is not NAME:SLOT:FILE");
    entry.name = text.substr(0, first);
    const std::string slot = text.substr(first + 1, second - first - 1);
    entry.path = text.substr(second + 1);
    char* end = nullptr;
    const long value = std::strtol(slot.c_str(), &end, 10);
    if (slot.empty() || *end != '\0' || value < 0 || value > 255)
        return Refuse("slot \"" + slot + "\" in \"" + text + "\" is not a number from 0 to 255");
    entry.slot = int(value);
    if (entry.name.size() > std::size_t(k2d::kMaxNameLength))
        return Refuse("name \"" + entry.name + "\" is longer than 55 characters");
    if (entry.path.empty()) return Refuse("\"" + text + "\" names no file");
    return true;
}

int PackSlots(const std::vector<std::string>& args)
{
    if (args.size() < 2) return Usage(stderr, kBadUsage);
    if (args.size() - 1 > 255) return Fail("more than 255 records: the layout cannot hold them");
    std::vector<k2d::SlotEntry> entries(args.size() - 1);
    std::vector<std::string> inputs;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (!ParseSlotEntry(args[i], entries[i - 1])) return kBadUsage;
        inputs.push_back(entries[i - 1].path);
    }
    if (!CheckJpegs(inputs)) return kFailed;
    return Finish(k2d::WriteSlots(args[0].c_str(), entries), args[0], inputs);
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return Usage(stderr, kBadUsage);
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "--help" || command == "-h" || command == "help") return Usage(stdout, 0);
    if (command == "list" && args.size() == 1) return List(args[0]);
    if (command == "extract" && args.size() == 2) return Extract(args[0], args[1]);
    if (command == "pack-skin") return PackSkin(args);
    if (command == "pack-sequence") return PackSequence(args);
    if (command == "pack-slots") return PackSlots(args);
    std::fprintf(stderr, "k2d: unknown command or wrong arguments: %s\n", command.c_str());
    return Usage(stderr, kBadUsage);
}
