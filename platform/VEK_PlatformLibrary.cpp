// Dynamic libraries, always loaded by full path from beside a given module.
#include "vekPlatform.h"

#include <dlfcn.h>

namespace plat {
namespace {
std::string lastLoadError;
}

std::string ModuleDirectory(const void* moduleAddress)
{
    Dl_info info{};
    if (!dladdr(moduleAddress, &info) || !info.dli_fname) return "./";
    std::string path = info.dli_fname;
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return "./";
    return path.substr(0, slash + 1);
}

void* LoadLibraryBeside(const void* moduleAddress, const char* fileName)
{
    const std::string path = ModuleDirectory(moduleAddress) + fileName;
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* error = dlerror();
        lastLoadError = error ? error : ("cannot load " + path);
    }
    return library;
}

void* FindSymbol(void* library, const char* name)
{
    if (!library) return nullptr;
    void* symbol = dlsym(library, name);
    if (!symbol) lastLoadError = std::string("no symbol ") + name;
    return symbol;
}

void FreeLibrary(void* library)
{
    if (library) dlclose(library);
}

std::string LastLoadError() { return lastLoadError; }

}  // namespace plat
