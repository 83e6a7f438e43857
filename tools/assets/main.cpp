// main.cpp: kelvo-assets DIR writes the show's data folder DIR/data.
#include <cstdio>
#include <string>

#include "tools/assets/asset_writer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelvo-assets DIR (writes DIR/data)\n");
        return 2;
    }
    std::string error;
    if (!assets::WriteAssets(std::string(argv[1]) + "/data", &error)) {
        std::fprintf(stderr, "kelvo-assets: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
