// vekcontent: writes the data files of the bundled sample show (pictures, containers,
// scenes, music) into the show's folder, next to its hand-written demotest.xml.
// Everything is made here from code; nothing is downloaded.
#include "VEK_ContentGen.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace contentgen {
namespace {
struct Step {
    int order;
    const char* what;
    StepFunction run;
};

std::vector<Step>& Steps()
{
    static std::vector<Step> steps;
    return steps;
}

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
}  // namespace

StepRegistrar::StepRegistrar(int order, const char* what, StepFunction run) { Steps().push_back({order, what, run}); }

VEK_CONTENT_STEP(0, "folders escena/ and Data/", MakeFolders);

}  // namespace contentgen

namespace {
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
    auto steps = contentgen::Steps();
    std::stable_sort(steps.begin(), steps.end(), [](const auto& a, const auto& b) { return a.order < b.order; });
    for (const auto& step : steps) {
        if (!step.run(show)) {
            std::fprintf(stderr, "vekcontent: failed: %s\n", step.what);
            return 1;
        }
        std::printf("vekcontent: %s\n", step.what);
    }
    return 0;
}
