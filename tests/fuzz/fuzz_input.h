// fuzz_input.h: handing a fuzzer's bytes to code that reads files.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// Writes the input to path; false when it cannot be written whole.
inline bool WriteFuzzInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

// A new empty file under /tmp named from prefix; the process ends if none can be made.
inline std::string MakeFuzzInputFile(const char* prefix) {
    std::string pattern = std::string("/tmp/") + prefix + "XXXXXX";
    int descriptor = mkstemp(&pattern[0]);
    if (descriptor < 0) std::abort();
    close(descriptor);
    return pattern;
}
