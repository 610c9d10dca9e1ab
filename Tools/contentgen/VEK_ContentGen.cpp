// vekcontent: writes the data files of the bundled sample show (pictures, containers,
// scenes, music) into the show's folder, next to its hand-written demotest.xml.
// Everything is made here from code; nothing is downloaded.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// One step of the generator: writes some of the show's files below the show folder.
struct Step {
    const char* what;
    bool (*run)(const fs::path& show);
};

bool MakeFolders(const fs::path& show)
{
    std::error_code error;
    for (const char* folder : {"escena", "Data"}) {
        fs::create_directories(show / folder, error);
        if (error) {
            std::fprintf(stderr, "vekcontent: cannot create %s: %s\n", (show / folder).c_str(),
                         error.message().c_str());
            return false;
        }
    }
    return true;
}

const Step kSteps[] = {
    {"folders escena/ and Data/", MakeFolders},
};

int Usage(std::FILE* out, int code)
{
    std::fprintf(out, "Usage: vekcontent SHOW_DIR\n"
                      "Writes the sample show's data files into SHOW_DIR (which holds demotest.xml).\n");
    return code;
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) return Usage(stdout, 0);
    if (argc != 2) return Usage(stderr, 2);
    const fs::path show = argv[1];
    for (const Step& step : kSteps) {
        if (!step.run(show)) {
            std::fprintf(stderr, "vekcontent: failed: %s\n", step.what);
            return 1;
        }
        std::printf("vekcontent: %s\n", step.what);
    }
    return 0;
}
