// tool_runs.h: starting programs from tests (the built tools, xdotool, ffmpeg, sox), with
// an environment, a working directory and output files of their own.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// How to start a program. The first argument names it; a name without '/' is searched on PATH.
struct ProgramStart {
    std::vector<std::string> arguments;
    // "NAME=value" entries that replace the test's own variables of those names; a later
    // entry replaces an earlier one.
    std::vector<std::string> environment;
    std::string workDir;  // empty: the test's own
    int outFd = -1;       // its stdout; -1: /dev/null
    int errFd = -1;       // its stderr; -1: where stdout goes
    int keepFd = -1;      // a descriptor of the test left open in the program
    // Bytes: every file the program writes stops growing there and the write fails
    // (EFBIG), as it would on a full disk. -1: no limit.
    long long fileSizeLimit = -1;
    // RunProgram only: after this many seconds the program's process group is killed, so a
    // hang fails a test quickly instead of waiting for ctest's limit. 0: no limit.
    double timeoutSeconds = 0;
};

// Starts the program in a process group of its own, stdin from /dev/null; its pid, or -1.
pid_t StartProgram(const ProgramStart& start);

// What a program that ran to its end left: its exit code (128 + the signal's number when a
// signal ended it, 127 when it could not be started) and what it wrote.
struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
    bool timedOut = false;  // killed at ProgramStart::timeoutSeconds
    double seconds = 0;     // from its start to its end
};
// Runs the program to its end, its stdout and stderr captured (outFd and errFd are
// ignored).
ToolRun RunProgram(ProgramStart start);
// Waits for a program StartProgram started: its exit code as ToolRun gives it, or -1 when
// it is still running after timeoutSeconds (0: no limit).
int WaitForProgram(pid_t pid, double timeoutSeconds);
// Runs a shell command line (/bin/sh -c) to its end.
ToolRun RunShell(const std::string& command);

// The path of a program this build made (kelvo, kelvo-capture, kelvo-assets).
std::string BuiltProgram(const std::string& name);
