// test_files.h: scratch folders for tests and whole files read and written as bytes.
#pragma once

#include <string>

// A fresh folder under the test temporary directory, removed with its contents at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A temporary folder made the working directory, with an empty data/ folder in it, as the
// show expects to find its files; the previous working directory comes back at the end.
// Folders can nest: each restores the directory that was current when it was made.
class WorkingFolder : public TempFolder {
public:
    WorkingFolder();
    ~WorkingFolder();
    // path() + "/data/" + name
    std::string Data(const std::string& name) const;

private:
    std::string previous_;
};

// The whole file, or "" when it cannot be read.
std::string ReadBytes(const std::string& path);
// Writes bytes as they are (empty, garbage and truncated files too). On failure it fails
// the current test, naming the file, and returns false.
bool WriteBytes(const std::string& path, const std::string& bytes);
