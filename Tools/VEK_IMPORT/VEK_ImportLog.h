// The plug-in's progress log, "debug.log" in the working directory. A log without a file
// (the default) discards what is written, so the converter can run silently.
#pragma once

#include <cstdio>
#include <string>

namespace aseimport {

constexpr char kLogFileName[] = "debug.log";

class ImportLog {
public:
    ImportLog() = default;
    ~ImportLog() { close(); }
    ImportLog(const ImportLog&) = delete;
    ImportLog& operator=(const ImportLog&) = delete;

    // Starts the file afresh (truncating it); false when it cannot be created.
    bool create(const std::string& path);
    // Closes and reopens the file for appending, so what was written is on disk.
    void checkpoint();
    void close();

    void write(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    std::FILE* file_ = nullptr;
    std::string path_;
};

// The whole text of a log file; empty when it cannot be read.
std::string ReadLogFile(const std::string& path);

}  // namespace aseimport
