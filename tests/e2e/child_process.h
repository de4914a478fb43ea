// Child processes for the end-to-end tests: long-running ones (the X server, the viewer) that the
// test ends itself, and short commands whose output it reads.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quorvanta::e2e {

using namespace std::chrono_literals;

// The parent's environment with some variables set to new values; an empty value removes one.
using EnvironmentChanges = std::map<std::string, std::string>;

struct ProcessOptions {
    std::filesystem::path program;
    std::vector<std::string> arguments;
    std::filesystem::path workingDirectory;  // empty: the test's own
    EnvironmentChanges environment;
    std::filesystem::path outputFile;  // standard output and error; empty: /dev/null
};

// How a process ended.
struct Ending {
    bool exited = false;  // false: killed by a signal
    int status = -1;      // exit status, or the signal's number
    std::string describe() const;
};

// A process that runs until it ends or the object goes, which kills it and waits for it.
class ChildProcess {
  public:
    explicit ChildProcess(const ProcessOptions& options);  // throws when it cannot be started
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    // The ending, once the process has ended within the timeout.
    std::optional<Ending> waitForEnd(std::chrono::milliseconds timeout);
    // SIGTERM, and SIGKILL when that is not enough within the grace time.
    Ending stop(std::chrono::milliseconds grace = 2s);

  private:
    pid_t pid_ = -1;
    std::optional<Ending> ending_;
};

struct CommandResult {
    Ending ending;
    std::string out;
    std::string err;
    bool succeeded() const { return ending.exited && ending.status == 0; }
};

// Runs a command to its end, killed after the timeout, and returns what it printed.
CommandResult runCommand(const std::filesystem::path& program,
                         const std::vector<std::string>& arguments,
                         const EnvironmentChanges& environment,
                         std::chrono::milliseconds timeout = 10s);

// The full path of an executable found on PATH.
std::optional<std::filesystem::path> findOnPath(const std::string& name);

}  // namespace quorvanta::e2e
