#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace quorvanta::e2e {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kPollStep = 10ms;

std::vector<std::string> environmentWith(const EnvironmentChanges& changes) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable = *entry;
        const std::string name = variable.substr(0, variable.find('='));
        if (!changes.contains(name)) result.push_back(variable);
    }
    for (const auto& [name, value] : changes)
        if (!value.empty()) result.push_back(name + "=" + value);
    return result;
}

// argv and envp arrays for execve; the strings must outlive the call.
std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

Ending endingOf(int waitStatus) {
    if (WIFEXITED(waitStatus)) return {true, WEXITSTATUS(waitStatus)};
    return {false, WIFSIGNALED(waitStatus) ? WTERMSIG(waitStatus) : -1};
}

// Starts the program with standard output and error on the given descriptors, in the given folder
// (empty: this one); throws when it cannot. The child gets SIGTERM when the test process dies, so
// that a test killed on its timeout leaves no server or viewer behind; SIGTERM lets Xvfb remove
// its lock and socket.
pid_t spawn(const std::filesystem::path& program, const std::vector<std::string>& arguments,
            const EnvironmentChanges& environment, const std::filesystem::path& workingDirectory,
            int output, int error) {
    std::vector<std::string> argv{program.string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envp = environmentWith(environment);
    std::vector<char*> argvPointers = pointersTo(argv);
    std::vector<char*> envpPointers = pointersTo(envp);
    const std::string folder = workingDirectory.string();

    // The child writes errno here when it fails before its program runs; a successful execve
    // closes it unwritten.
    std::array<int, 2> failure{};
    if (::pipe2(failure.data(), O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe");
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(failure[0]);
        ::close(failure[1]);
        throw std::runtime_error("cannot fork: " + std::string(std::strerror(errno)));
    }
    if (pid == 0) {
        // Only async-signal-safe calls from here on.
        int reason = 0;
        if (::prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || ::getppid() != parent) ::_exit(127);
        const int input = ::open("/dev/null", O_RDONLY);
        if (input < 0 || ::dup2(input, STDIN_FILENO) < 0 || ::dup2(output, STDOUT_FILENO) < 0 ||
            ::dup2(error, STDERR_FILENO) < 0 || (!folder.empty() && ::chdir(folder.c_str()) != 0)) {
            reason = errno;
        } else {
            if (input > STDERR_FILENO) ::close(input);
            ::execve(argvPointers[0], argvPointers.data(), envpPointers.data());
            reason = errno;
        }
        [[maybe_unused]] const ssize_t written = ::write(failure[1], &reason, sizeof reason);
        ::_exit(127);
    }
    ::close(failure[1]);
    int reason = 0;
    ssize_t n = 0;
    do {
        n = ::read(failure[0], &reason, sizeof reason);
    } while (n < 0 && errno == EINTR);
    ::close(failure[0]);
    if (n > 0) {
        int waitStatus = 0;
        ::waitpid(pid, &waitStatus, 0);
        throw std::runtime_error("cannot start " + program.string() + ": " + std::strerror(reason));
    }
    return pid;
}

}  // namespace

std::string Ending::describe() const {
    if (exited) return "exit status " + std::to_string(status);
    return std::string("killed by signal ") + (status > 0 ? ::strsignal(status) : "?");
}

ChildProcess::ChildProcess(const ProcessOptions& options) {
    const std::string outputPath =
        options.outputFile.empty() ? std::string("/dev/null") : options.outputFile.string();
    const int output = ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (output < 0) throw std::runtime_error("cannot write " + outputPath);
    try {
        pid_ = spawn(options.program, options.arguments, options.environment,
                     options.workingDirectory, output, output);
    } catch (...) {
        ::close(output);
        throw;
    }
    ::close(output);
}

ChildProcess::~ChildProcess() {
    if (ending_) return;
    ::kill(pid_, SIGKILL);
    int waitStatus = 0;
    ::waitpid(pid_, &waitStatus, 0);
}

bool ChildProcess::running() {
    if (ending_) return false;
    int waitStatus = 0;
    if (::waitpid(pid_, &waitStatus, WNOHANG) != pid_) return true;
    ending_ = endingOf(waitStatus);
    return false;
}

std::optional<Ending> ChildProcess::waitForEnd(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (running()) {
        if (Clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(kPollStep);
    }
    return ending_;
}

Ending ChildProcess::stop(std::chrono::milliseconds grace) {
    if (running()) {
        ::kill(pid_, SIGTERM);
        if (!waitForEnd(grace)) {
            ::kill(pid_, SIGKILL);
            int waitStatus = 0;
            ::waitpid(pid_, &waitStatus, 0);
            ending_ = endingOf(waitStatus);
        }
    }
    return *ending_;
}

CommandResult runCommand(const std::filesystem::path& program,
                         const std::vector<std::string>& arguments,
                         const EnvironmentChanges& environment, std::chrono::milliseconds timeout) {
    std::array<int, 2> outPipe{}, errPipe{};
    if (::pipe2(outPipe.data(), O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe");
    if (::pipe2(errPipe.data(), O_CLOEXEC) != 0) {
        ::close(outPipe[0]);
        ::close(outPipe[1]);
        throw std::runtime_error("cannot make a pipe");
    }
    pid_t pid = -1;
    try {
        pid = spawn(program, arguments, environment, {}, outPipe[1], errPipe[1]);
    } catch (...) {
        for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
            ::close(fd);
        throw;
    }
    ::close(outPipe[1]);
    ::close(errPipe[1]);

    CommandResult result;
    std::array<pollfd, 2> sources{pollfd{outPipe[0], POLLIN, 0}, pollfd{errPipe[0], POLLIN, 0}};
    std::array<std::string*, 2> sinks{&result.out, &result.err};
    const auto deadline = Clock::now() + timeout;
    bool timedOut = false;
    while (sources[0].fd >= 0 || sources[1].fd >= 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left <= 0ms) {
            timedOut = true;
            break;
        }
        if (::poll(sources.data(), sources.size(), static_cast<int>(left.count())) < 0 &&
            errno != EINTR)
            break;
        for (std::size_t i = 0; i < sources.size(); ++i) {
            if (sources[i].fd < 0 || sources[i].revents == 0) continue;
            std::array<char, 4096> buffer{};
            const ssize_t n = ::read(sources[i].fd, buffer.data(), buffer.size());
            if (n > 0) {
                sinks[i]->append(buffer.data(), static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(sources[i].fd);
                sources[i].fd = -1;
            }
        }
    }
    for (const pollfd& source : sources)
        if (source.fd >= 0) ::close(source.fd);
    if (timedOut) ::kill(pid, SIGKILL);
    int waitStatus = 0;
    ::waitpid(pid, &waitStatus, 0);
    result.ending = endingOf(waitStatus);
    if (timedOut) result.err += "\n(killed after " + std::to_string(timeout.count()) + " ms)";
    return result;
}

std::optional<std::filesystem::path> findOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const std::filesystem::path candidate =
            std::filesystem::path(folders.substr(start, end - start)) / name;
        if (end > start && ::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return std::nullopt;
}

}  // namespace quorvanta::e2e
