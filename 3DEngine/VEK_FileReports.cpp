#include "VEK_FileReports.h"

#include <set>

namespace filereports {
namespace {
std::set<std::string>& Paths()
{
    static std::set<std::string> paths;
    return paths;
}
}  // namespace

bool FirstReport(const std::string& path) { return Paths().insert(path).second; }
bool Reported(const std::string& path) { return Paths().count(path) != 0; }
void Forget() { Paths().clear(); }
}  // namespace filereports
