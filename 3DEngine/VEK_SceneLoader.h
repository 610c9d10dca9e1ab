// SceneLoader: turns one scene file into the records of a Scene, section by section,
// writing "Loader.LOG" as it goes.
//
// The whole file is mapped (or read) once and parsed from memory. Nothing in it is
// trusted: every count, length and index is checked against the bytes that remain and
// the arrays it addresses. A damaged file is rejected with one message; the log says
// where, the readers that follow do nothing, and the scene is to be discarded like a
// file that did not open.
#pragma once

#include "VEK_SceneFile.h"
#include "VEK_Thing.h"

#include <cstdint>
#include <memory>
#include <string>

class SceneLoader {
public:
    SceneLoader() = default;
    ~SceneLoader();
    SceneLoader(const SceneLoader&) = delete;
    SceneLoader& operator=(const SceneLoader&) = delete;

    // Starts "Loader.LOG" afresh, opens the file and reads its header. failed is set when
    // the file does not open (the log then stays empty) or its header is damaged.
    void open(const std::string& filePath);
    // The sections, in this order, each going on where the one before it stopped.
    bool readObjects(ThingList& objects, ThingList& controllers);
    bool readMaterials(ThingList& materials);
    bool readCameras(ThingList& cameras, ThingList& controllers);
    bool readLights(ThingList& targetLights, ThingList& omniLights, ThingList& controllers);
    // Releases the file; after a complete load, logs the total time.
    void close();

    bool rejected() const { return rejected_; }
    const scenefile::ReadError& problem() const { return problem_; }

    bool failed = false;             // discard the scene: no file, or a damaged one
    std::uint32_t objectCount = 0;
    std::uint32_t cameraCount = 0;
    std::uint32_t lastFrameCopy = 0;
    std::uint32_t materialCount = 0;
    std::uint32_t lightCount = 0;
    std::uint32_t frameCount = 0;    // last frame + 1
    std::uint32_t frameSpeed = 0;
    std::uint32_t ticksPerFrame = 0;
    std::uint32_t faceTotal = 0;
    float loadSeconds = 0;           // time spent in the section readers
    std::string path;

private:
    class Section;
    bool usable() const { return reader_ && !failed; }
    void reject(Section* section);
    // One log line for each flag byte above 1 that the last record read took as set.
    void logNotes(Section& section);

    scenefile::FileBytes file_;
    std::unique_ptr<scenefile::RecordReader> reader_;
    scenefile::Header header_;
    bool rejected_ = false;
    scenefile::ReadError problem_;
};
