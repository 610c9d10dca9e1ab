#include "VEK_ImportLog.h"

#include <cstdarg>

namespace aseimport {

bool ImportLog::create(const std::string& path)
{
    close();
    path_ = path;
    file_ = std::fopen(path.c_str(), "w");
    return file_ != nullptr;
}

void ImportLog::checkpoint()
{
    if (!file_) return;
    std::fclose(file_);
    file_ = std::fopen(path_.c_str(), "a");
}

void ImportLog::close()
{
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

void ImportLog::write(const char* format, ...)
{
    if (!file_) return;
    std::va_list arguments;
    va_start(arguments, format);
    std::vfprintf(file_, format, arguments);
    va_end(arguments);
}

std::string ReadLogFile(const std::string& path)
{
    std::string text;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return text;
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
    std::fclose(file);
    return text;
}

}  // namespace aseimport
