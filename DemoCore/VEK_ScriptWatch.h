// ScriptWatch: notices when the project script or a file it names changes on disk
// (inotify), so that the player can read the show again while it plays. The folders that
// hold the files are watched, not the files: editors often save by writing a new file
// and renaming it over the old one.
#pragma once

#include <map>
#include <set>
#include <string>

class ScriptWatch {
public:
    // What changed since the last look.
    struct Changes {
        bool script = false;    // the project script itself
        bool scenes = false;    // a file named in the engine3D section (scene files, ASE, particle images)
        bool music = false;     // the music file
        bool others = false;    // any other named file (skins and the like)
        bool Any() const { return script || scenes || music || others; }
    };

    explicit ScriptWatch(std::string script) : script_(std::move(script)) {}
    ~ScriptWatch();
    ScriptWatch(const ScriptWatch&) = delete;
    ScriptWatch& operator=(const ScriptWatch&) = delete;

    // Starts watching the script and the files it names now; false with the reason when
    // the system cannot watch.
    bool Start(std::string& error);
    // Reads the script again for the files it names (after it changed).
    void Refresh();
    // The changes seen since the last call; never waits.
    Changes Poll();
    // Drops what happened so far (the files a reload itself wrote).
    void Discard() { Poll(); }

    enum class Kind { script, scenes, music, others };
    // The script and every file it names, by kind: the values of its attributes that are
    // paths of existing files, as normalised relative paths. Only the script when it does
    // not parse.
    static std::map<std::string, Kind> NamedFiles(const std::string& script);

private:
    void WatchFolderOf(const std::string& file);

    std::string script_;
    int fd_ = -1;
    std::map<int, std::string> folders_;    // watch descriptor -> folder
    std::set<std::string> watchedFolders_;
    std::map<std::string, Kind> files_;     // normalised path -> what it is
};
