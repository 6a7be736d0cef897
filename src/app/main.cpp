// Entry point: batch modes run on the engine alone; without one, the usage is printed until the
// window program exists.
#include <cstdio>
#include <cstring>

#include "app/Version.h"

namespace {

const char kUsage[] =
    "Usage:\n"
    "  vellum -h | --help      show this text\n"
    "  vellum --version        show the version\n";

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s\n", vellum::VersionString().c_str());
            return 0;
        }
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    std::fputs(kUsage, argc > 1 ? stderr : stdout);
    return argc > 1 ? 2 : 0;
}
