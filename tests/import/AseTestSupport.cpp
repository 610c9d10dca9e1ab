#include "AseTestSupport.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace asetest {

std::string Fixture(const std::string& name)
{
    return TempDir::ReadFile(std::string(VEK_IMPORT_FIXTURES) + "/" + name);
}

aseimport::ConvertResult Convert(const std::string& text, aseimport::ConvertOptions options)
{
    aseimport::ImportLog silent;
    if (options.inputName.empty()) options.inputName = "test.ase";
    return aseimport::ConvertAse(text, options, silent);
}

std::vector<std::uint8_t> ConvertLogged(const std::string& text, const TempDir& folder, std::string& log)
{
    aseimport::ConvertOptions options;
    options.inputName = "test.ase";
    aseimport::ConvertResult result;
    {
        aseimport::ImportLog file;
        EXPECT_TRUE(file.create((folder / "debug.log").string()));
        result = aseimport::ConvertAse(text, options, file);
    }
    log = folder.read("debug.log");
    EXPECT_TRUE(result.ok) << result.message;
    return result.bytes;
}

scenefile::SceneRecords ReadBack(const std::vector<std::uint8_t>& bytes)
{
    scenefile::SceneRecords scene;
    scenefile::ReadError error;
    EXPECT_TRUE(scenefile::ReadScene(bytes.data(), bytes.size(), scene, &error, true))
        << error.what << " at byte " << error.offset;
    return scene;
}

scenefile::SceneRecords ConvertAndRead(const std::string& text)
{
    const aseimport::ConvertResult result = Convert(text);
    EXPECT_TRUE(result.ok) << result.message;
    return result.ok ? ReadBack(result.bytes) : scenefile::SceneRecords{};
}

float F(const char* text) { return float(std::atof(text)); }

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << "fixture text not found: " << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string Utf16(const std::string& text, bool bigEndian)
{
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : text) {
        if (bigEndian) out.push_back('\0');
        out.push_back(c);
        if (!bigEndian) out.push_back('\0');
    }
    return out;
}

}  // namespace asetest
