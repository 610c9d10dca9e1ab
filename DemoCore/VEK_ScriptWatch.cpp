#include "VEK_ScriptWatch.h"

#include "VEK_ScriptDocument.h"

#include <tinyxml.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/inotify.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// A file counts as changed once it is written and closed, or moved into place.
constexpr uint32_t kChangeEvents = IN_CLOSE_WRITE | IN_MOVED_TO;

std::string Normalised(const fs::path& path)
{
    const std::string text = path.lexically_normal().string();
    return text.empty() ? "." : text;
}

bool IsFile(const char* value)
{
    std::error_code error;
    return value && *value && fs::is_regular_file(value, error);
}

void CollectFiles(const TiXmlElement& element, ScriptWatch::Kind kind, const char* music,
                  std::map<std::string, ScriptWatch::Kind>& files)
{
    if (std::strcmp(element.Value(), "engine3D") == 0) kind = ScriptWatch::Kind::scenes;
    for (const TiXmlAttribute* attribute = element.FirstAttribute(); attribute; attribute = attribute->Next()) {
        const char* value = attribute->Value();
        if (!IsFile(value)) continue;
        const bool isMusic = music && std::strcmp(value, music) == 0 && std::strcmp(attribute->Name(), "mp3name") == 0;
        files.emplace(Normalised(value), isMusic ? ScriptWatch::Kind::music : kind);
    }
    for (const TiXmlElement* child = element.FirstChildElement(); child; child = child->NextSiblingElement())
        CollectFiles(*child, kind, music, files);
}
}  // namespace

ScriptWatch::~ScriptWatch()
{
    if (fd_ >= 0) close(fd_);
}

std::map<std::string, ScriptWatch::Kind> ScriptWatch::NamedFiles(const std::string& script)
{
    std::map<std::string, Kind> files{{Normalised(script), Kind::script}};
    TiXmlDocument document(script.c_str());
    if (LoadScriptDocument(document, script.c_str())) return files;
    const TiXmlElement* root = document.FirstChildElement("demoproject");
    if (!root) return files;
    const TiXmlElement* project = root->FirstChildElement("engineDEMO");
    const char* music = project ? project->Attribute("mp3name") : nullptr;
    CollectFiles(*root, Kind::others, music, files);
    return files;
}

bool ScriptWatch::Start(std::string& error)
{
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) {
        error = std::string("cannot watch files: ") + std::strerror(errno);
        return false;
    }
    Refresh();
    return true;
}

void ScriptWatch::Refresh()
{
    files_ = NamedFiles(script_);
    for (const auto& [file, kind] : files_) WatchFolderOf(file);
}

void ScriptWatch::WatchFolderOf(const std::string& file)
{
    const std::string folder = Normalised(fs::path(file).parent_path());
    if (fd_ < 0 || watchedFolders_.count(folder)) return;
    const int watch = inotify_add_watch(fd_, folder.c_str(), kChangeEvents);
    if (watch < 0) return;   // a folder that cannot be watched: its files count as unchanged
    watchedFolders_.insert(folder);
    folders_[watch] = folder;
}

ScriptWatch::Changes ScriptWatch::Poll()
{
    Changes changes;
    if (fd_ < 0) return changes;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t got = read(fd_, buffer, sizeof buffer);
        if (got <= 0) break;   // nothing more waiting (EAGAIN), or an error
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            const auto folder = folders_.find(event->wd);
            if (folder == folders_.end() || event->len == 0) continue;
            const auto file = files_.find(Normalised(fs::path(folder->second) / event->name));
            if (file == files_.end()) continue;
            switch (file->second) {
            case Kind::script: changes.script = true; break;
            case Kind::scenes: changes.scenes = true; break;
            case Kind::music: changes.music = true; break;
            case Kind::others: changes.others = true; break;
            }
        }
    }
    return changes;
}
