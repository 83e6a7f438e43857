// tool_runs.cpp: fork and exec of the programs tests run.
#include "support/tool_runs.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "support/test_files.h"

extern char** environ;

namespace {

// The test's environment with `overrides` ("NAME=value") in place of the variables they
// name; of two overrides of one name the later wins.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& overrides) {
    std::vector<std::string> wanted;
    for (const std::string& variable : overrides) {
        const std::string name = variable.substr(0, variable.find('=') + 1);
        for (auto it = wanted.begin(); it != wanted.end();) {
            it = it->compare(0, name.size(), name) == 0 ? wanted.erase(it) : it + 1;
        }
        wanted.push_back(variable);
    }
    std::vector<std::string> variables;
    for (char** variable = environ; *variable; ++variable) {
        bool replaced = false;
        for (const std::string& want : wanted) {
            const std::size_t nameLength = want.find('=') + 1;
            replaced = replaced || std::strncmp(*variable, want.c_str(), nameLength) == 0;
        }
        if (!replaced) variables.emplace_back(*variable);
    }
    variables.insert(variables.end(), wanted.begin(), wanted.end());
    return variables;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(&text[0]);
    pointers.push_back(nullptr);
    return pointers;
}

// In the child, between fork and exec: only async-signal-safe calls.
[[noreturn]] void BecomeProgram(const ProgramStart& start, char** argv, char** envp) {
    setpgid(0, 0);
    const int null = open("/dev/null", O_RDWR);
    const int out = start.outFd >= 0 ? start.outFd : null;
    dup2(null, 0);
    dup2(out, 1);
    dup2(start.errFd >= 0 ? start.errFd : out, 2);
    if (start.keepFd >= 0) fcntl(start.keepFd, F_SETFD, 0);
    if (start.fileSizeLimit >= 0) {
        // Ignored, the signal stays ignored across exec and the write returns EFBIG.
        signal(SIGXFSZ, SIG_IGN);
        const rlim_t bytes = static_cast<rlim_t>(start.fileSizeLimit);
        rlimit limit = {bytes, bytes};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (!start.workDir.empty() && chdir(start.workDir.c_str()) != 0) _exit(127);
    execvpe(argv[0], argv, envp);
    _exit(127);
}

}  // namespace

pid_t StartProgram(const ProgramStart& start) {
    if (start.arguments.empty()) return -1;
    std::vector<std::string> arguments = start.arguments;
    std::vector<std::string> environment = ChildEnvironment(start.environment);
    std::vector<char*> argv = Pointers(arguments);
    std::vector<char*> envp = Pointers(environment);
    const pid_t pid = fork();
    if (pid == 0) BecomeProgram(start, argv.data(), envp.data());
    return pid;
}

int WaitForProgram(pid_t pid, double timeoutSeconds) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point limit =
        Clock::now() +
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeoutSeconds));
    int status = 0;
    for (;;) {
        const pid_t ended = waitpid(pid, &status, timeoutSeconds > 0 ? WNOHANG : 0);
        if (ended == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (ended < 0 && errno != EINTR) return -1;
        if (ended == 0 && Clock::now() > limit) return -1;
        if (ended == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

ToolRun RunProgram(ProgramStart start) {
    TempFolder folder;
    const std::string outPath = folder / "stdout", errPath = folder / "stderr";
    start.outFd = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    start.errFd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ToolRun run;
    const auto started = std::chrono::steady_clock::now();
    const pid_t pid = StartProgram(start);
    close(start.outFd);
    close(start.errFd);
    if (pid > 0) run.exitCode = WaitForProgram(pid, start.timeoutSeconds);
    if (pid > 0 && run.exitCode < 0 && start.timeoutSeconds > 0) {
        run.timedOut = true;
        kill(-pid, SIGKILL);
        WaitForProgram(pid, 0);
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    run.out = ReadBytes(outPath);
    run.err = ReadBytes(errPath);
    return run;
}

ToolRun RunShell(const std::string& command) {
    ProgramStart start;
    start.arguments = {"/bin/sh", "-c", command};
    return RunProgram(start);
}

std::string BuiltProgram(const std::string& name) {
    return std::string(KELVO_BIN_DIR) + "/" + name;
}
