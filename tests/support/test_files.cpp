// test_files.cpp: scratch folders and whole-file bytes for tests.
#include "support/test_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

TempFolder::TempFolder() {
    std::string pattern = std::string(::testing::TempDir()) + "/kelvo_XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) ADD_FAILURE() << "cannot make " << pattern;
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

WorkingFolder::WorkingFolder() {
    previous_ = std::filesystem::current_path().string();
    std::filesystem::create_directory(path() + "/data");
    if (chdir(path().c_str()) != 0) ADD_FAILURE() << "cannot enter " << path();
}

WorkingFolder::~WorkingFolder() {
    if (chdir(previous_.c_str()) != 0) ADD_FAILURE() << "cannot go back to " << previous_;
}

std::string WorkingFolder::Data(const std::string& name) const { return path() + "/data/" + name; }

std::string ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) ADD_FAILURE() << "cannot write " << path;
    return static_cast<bool>(file);
}
