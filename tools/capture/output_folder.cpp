// output_folder.cpp: probing the capture's output folder with a real file.
#include "tools/capture/output_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Creates, writes and removes a file named for this process; 0 or the errno of the step that
// failed. The byte written matters: a full disk often still lets an empty file be made.
int ProbeWrite(const std::string& folder) {
    const std::string probe = folder + "/.kelvo-capture-probe-" + std::to_string(getpid());
    int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return errno;
    int failure = write(fd, "k", 1) == 1 ? 0 : (errno ? errno : EIO);
    if (close(fd) != 0 && failure == 0) failure = errno;
    if (unlink(probe.c_str()) != 0 && failure == 0) failure = errno;
    return failure;
}

}  // namespace

bool PrepareOutputFolder(const std::string& folder, std::string* error) {
    std::error_code failure;
    fs::create_directories(folder, failure);
    if (failure) {
        *error = "cannot make the output folder " + folder + ": " + failure.message();
        return false;
    }
    if (!fs::is_directory(folder, failure)) {
        *error = "the output folder " + folder + " is not a folder";
        return false;
    }
    if (int code = ProbeWrite(folder)) {
        *error = "cannot write in the output folder " + folder + ": " + std::strerror(code);
        return false;
    }
    return true;
}

bool ProgramOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "";
    for (std::size_t start = 0; start <= folders.size();) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        std::string folder = end > start ? folders.substr(start, end - start) : ".";
        std::error_code failure;
        if (access((folder + "/" + program).c_str(), X_OK) == 0 &&
            fs::is_regular_file(folder + "/" + program, failure))
            return true;
        start = end + 1;
    }
    return false;
}
