// The runner on POSIX systems: posix_spawnp with one pipe for standard output
// and error, read as it comes; no shell anywhere.

#include "files/file_reasons.h"
#include "files/process_system.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace korval::files
{

namespace
{
std::string startReason(int error)
{
    switch (error) {
    case ENOENT:
        return startFaultText(StartFault::Missing);
    case EACCES:
    case EPERM:
        return startFaultText(StartFault::Denied);
    case ENOEXEC:
        return startFaultText(StartFault::NotAProgram);
    default:
        return systemError(error, std::strerror(error));
    }
}

class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

int exitStatus(int waited)
{
    if (WIFEXITED(waited)) return WEXITSTATUS(waited);
    if (WIFSIGNALED(waited)) return 128 + WTERMSIG(waited);
    return 255;
}
} // namespace

ProcessResult runNamedProgram(const std::vector<std::string>& arguments,
                              const std::function<void(const std::string&)>& output,
                              const std::atomic<bool>* stop)
{
    ProcessResult result;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        result.reason = startReason(errno);
        return result;
    }
    Descriptor reading(ends[0]);
    Descriptor writing(ends[1]);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, writing.get(), 1);
    posix_spawn_file_actions_adddup2(&actions, writing.get(), 2);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    writing.reset();
    if (spawned != 0) {
        result.reason = startReason(spawned);
        return result;
    }

    bool stopping = false;
    auto stopAsked = std::chrono::steady_clock::time_point();
    bool killed = false;
    bool open = true;
    int waited = 0;
    bool ended = false;
    char buffer[4096];
    while (!ended) {
        if (stop && stop->load() && !stopping) {
            stopping = true;
            stopAsked = std::chrono::steady_clock::now();
            ::kill(pid, SIGTERM);
        }
        if (stopping && !killed &&
            std::chrono::steady_clock::now() - stopAsked > std::chrono::seconds(2)) {
            killed = true;
            ::kill(pid, SIGKILL);
        }
        if (open) {
            pollfd watched{reading.get(), POLLIN, 0};
            const int ready = ::poll(&watched, 1, 100);
            if (ready > 0) {
                const ssize_t got = ::read(reading.get(), buffer, sizeof buffer);
                if (got > 0) {
                    if (output) output(std::string(buffer, std::size_t(got)));
                    continue;
                }
                if (got == 0 || errno != EINTR) open = false;
            }
        } else {
            ::usleep(20000);
        }
        // Once the program ended, a child it left holding the pipe keeps
        // nothing waiting: what is there is read, then done.
        const pid_t done = ::waitpid(pid, &waited, WNOHANG);
        if (done == pid) {
            ended = true;
            if (open) {
                ::fcntl(reading.get(), F_SETFL, O_NONBLOCK);
                ssize_t got;
                while ((got = ::read(reading.get(), buffer, sizeof buffer)) > 0)
                    if (output) output(std::string(buffer, std::size_t(got)));
            }
        }
    }
    if (stopping) {
        result.end = ProcessResult::End::Stopped;
        result.status = exitStatus(waited);
        return result;
    }
    result.end = ProcessResult::End::Exited;
    result.status = exitStatus(waited);
    return result;
}

bool makePrivateFolder(std::string& folder, std::string& reason)
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = (base && *base) ? base : "/tmp";
    if (pattern.back() != '/') pattern += '/';
    pattern += "korvalset24-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    // mkdtemp makes it with mode 0700.
    if (!::mkdtemp(name.data())) {
        const int error = errno;
        reason = systemError(error, std::strerror(error));
        return false;
    }
    folder = name.data();
    return true;
}

} // namespace korval::files
