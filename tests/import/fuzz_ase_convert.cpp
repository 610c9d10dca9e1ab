// libFuzzer target: any bytes into the ASE converter. A conversion either fails with a
// message or gives a scene file that reads back completely.
#include "VEK_AseConverter.h"
#include "VEK_SceneFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    aseimport::ConvertOptions options;
    options.inputName = "fuzz.ase";
    options.maxOutputBytes = std::size_t(8) << 20;
    aseimport::ImportLog silent;
    const auto result = aseimport::ConvertAse(std::string_view(reinterpret_cast<const char*>(data), size), options, silent);
    if (!result.ok) {
        if (result.message.empty() || !result.bytes.empty()) std::abort();
        return 0;
    }
    scenefile::SceneRecords scene;
    if (!scenefile::ReadScene(result.bytes.data(), result.bytes.size(), scene, nullptr, false)) std::abort();
    return 0;
}
