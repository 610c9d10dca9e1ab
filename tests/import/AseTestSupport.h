// Helpers of the import tests: converting ASE text in memory and reading the result back.
#pragma once

#include "VEK_AseConverter.h"
#include "VEK_SceneFile.h"

#include "TempDir.h"

#include <cstdint>
#include <string>
#include <vector>

namespace asetest {

// The text of a fixture file from tests/import/fixtures.
std::string Fixture(const std::string& name);

// Converts ASE text with a log that goes nowhere.
aseimport::ConvertResult Convert(const std::string& text, aseimport::ConvertOptions options = {});

// Converts with "debug.log" written in folder; log gets its text. Fails the calling test
// when the conversion fails.
std::vector<std::uint8_t> ConvertLogged(const std::string& text, const TempDir& folder, std::string& log);

// Reads converted bytes back strictly (every field where the format wants it, nothing
// left over); fails the calling test when they do not read.
scenefile::SceneRecords ReadBack(const std::vector<std::uint8_t>& bytes);

// Converts and reads back; fails the calling test when either step fails.
scenefile::SceneRecords ConvertAndRead(const std::string& text);

// A number as the ASE reader takes it: the C library's atof of the text, as a float.
float F(const char* text);

// Replaces the first occurrence of from (which must be present) with to.
std::string Replace(std::string text, const std::string& from, const std::string& to);
// Replaces every occurrence.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to);

// The same text as UTF-16 with its byte-order mark.
std::string Utf16(const std::string& text, bool bigEndian);

}  // namespace asetest
