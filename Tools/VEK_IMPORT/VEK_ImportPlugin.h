// The scene import plug-in's interface, for the plug-in and the programs that load it.
//
// libVEK_Import.so exports one C function, GetPlugin, that creates an ImportPlugin. The
// host sets the paths, calls convertStep until it returns kImportDone or kImportFailed,
// and deletes the object. One conversion at a time; the plug-in writes "debug.log" in
// the working directory.
#ifndef VEK_IMPORT_PLUGIN_H
#define VEK_IMPORT_PLUGIN_H

#include <cstddef>
#include <cstdint>

constexpr char kImportPluginFile[] = "libVEK_Import.so";   // loaded from beside the engine library
constexpr char kGetPluginSymbol[] = "GetPlugin";

constexpr std::uint8_t kImportDone = 0;
constexpr std::uint8_t kImportFailed = 10;

// The operations keep this order: hosts call them through the object's table.
class ImportPlugin {
public:
    virtual ~ImportPlugin() = default;
    virtual void setOutputPath(const char* path) = 0;          // the scene file to write
    virtual void setEmbedTextures(std::uint8_t embed) = 0;     // append texture files (not loadable by the engine)
    virtual void setTexturePrefix(const char* prefix) = 0;     // put before bitmap names when embedding
    virtual void setConsoleMessages(std::uint8_t on) = 0;      // a message box per object and material
    virtual void setInputPath(const char* path) = 0;           // the ASE text scene to read
    // Converts; kImportDone (also on every call after a success, changing nothing) or
    // kImportFailed (after its message box; the output file is left as it was).
    virtual std::uint8_t convertStep() = 0;
    // Copies the text of "debug.log" and a terminating zero into buffer, cut to size bytes
    // in all; returns the log's full length, so a call with size 0 asks for the size.
    virtual std::size_t readLog(char* buffer, std::size_t size) = 0;
};

extern "C" {
// Creates a plug-in object, stores it in *out (when out is not null) and returns it.
typedef ImportPlugin* (*GetPluginFunction)(ImportPlugin** out);
}

#endif  // VEK_IMPORT_PLUGIN_H
