// main.cpp: kelvo-assets DIR writes the show's data folder DIR/data; kelvo-assets --icons DIR
// writes the show's icon at every size into DIR, laid out as an icon theme.
#include <cstdio>
#include <string>

#include "tools/assets/asset_writer.h"
#include "tools/assets/icons.h"

int main(int argc, char** argv) {
    const bool icons = argc == 3 && std::string(argv[1]) == "--icons";
    // An option alone (such as --icons without its folder) is not taken for a folder name.
    const bool data = argc == 2 && std::string(argv[1]).rfind("--", 0) != 0;
    if (!data && !icons) {
        std::fprintf(stderr,
                     "usage: kelvo-assets DIR          writes the data folder DIR/data\n"
                     "       kelvo-assets --icons DIR  writes DIR/NxN/apps/kelvo-remix.png (N = "
                     "48, 64, 128, 256)\n");
        return 2;
    }
    std::string error;
    const int written = icons ? assets::WriteIcons(argv[2], &error)
                              : assets::WriteAssets(std::string(argv[1]) + "/data", &error);
    if (!written) {
        std::fprintf(stderr, "kelvo-assets: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
