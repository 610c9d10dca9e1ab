// The plug-in object behind GetPlugin: keeps the paths and runs one conversion.
#include "VEK_ImportPlugin.h"

#include "VEK_AseConverter.h"
#include "VEK_AseSections.h"
#include "VEK_ImportTexts.h"
#include "VEK_SceneFile.h"
#include "vekPlatform.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace aseimport {
namespace {

class AseImportPlugin final : public ImportPlugin {
public:
    void setOutputPath(const char* path) override { outputPath_ = path ? path : ""; }
    void setEmbedTextures(std::uint8_t embed) override { embedTextures_ = embed != 0; }
    void setTexturePrefix(const char* prefix) override { texturePrefix_ = prefix ? prefix : ""; }
    void setConsoleMessages(std::uint8_t on) override { consoleMessages_ = on != 0; }
    void setInputPath(const char* path) override { inputPath_ = path ? path : ""; }

    std::uint8_t convertStep() override
    {
        if (stage_ == Stage::lights) return kImportDone;
        if (inputPath_.empty()) return kImportFailed;
        scenefile::FileBytes input;
        if (!input.open(inputPath_)) {
            plat::ShowMessage(text::kDllCaption, text::kCantOpenInput);
            return kImportFailed;
        }
        ImportLog log;
        log.create(kLogFileName);
        log.write(text::kLogOpened);
        const ConvertResult result = ConvertAse(
            std::string_view(reinterpret_cast<const char*>(input.data()), input.size()), options(), log);
        input.close();
        stage_ = std::min(result.stage, Stage::cameras);
        if (!result.ok) return fail(result.caption, result.message, log);
        std::string reason;
        if (!scenefile::WriteFileAtomically(outputPath_, result.bytes, &reason)) {
            const std::string message = FormatText(text::kCantWriteOutput, outputPath_.c_str(), reason.c_str());
            log.write(text::kLogFailed, message.c_str());
            return fail(text::kDllCaption, message, log);
        }
        stage_ = Stage::lights;
        return kImportDone;
    }

    std::size_t readLog(char* buffer, std::size_t size) override
    {
        const std::string text = ReadLogFile(kLogFileName);
        if (buffer && size > 0) {
            const std::size_t copied = std::min(text.size(), size - 1);
            std::memcpy(buffer, text.data(), copied);
            buffer[copied] = '\0';
        }
        return text.size();
    }

private:
    ConvertOptions options() const
    {
        ConvertOptions options;
        options.inputName = inputPath_;
        options.texturePrefix = texturePrefix_;
        options.embedTextures = embedTextures_;
        options.consoleMessages = consoleMessages_;
        return options;
    }

    static std::uint8_t fail(const std::string& caption, const std::string& message, ImportLog& log)
    {
        log.close();
        plat::ShowMessage(caption.c_str(), message.c_str());
        return kImportFailed;
    }

    std::string inputPath_;
    std::string outputPath_;
    std::string texturePrefix_;
    bool embedTextures_ = false;
    bool consoleMessages_ = false;
    Stage stage_ = Stage::nothing;
};

}  // namespace
}  // namespace aseimport

extern "C" __attribute__((visibility("default"))) ImportPlugin* GetPlugin(ImportPlugin** out)
{
    ImportPlugin* plugin = new aseimport::AseImportPlugin();
    if (out) *out = plugin;
    return plugin;
}
