// What a whole process costs against another one, paired: A B A B... The CPU
// of each run (every thread, user and system) and its peak resident memory,
// either until it exits by itself or, with --mapped, until it asks for its
// first top-level window to be mapped on $DISPLAY, which must have no window
// manager (it is stopped there, measured and killed). Prints the medians, the
// median of the per-pair CPU ratios A/B and of the per-pair memory differences
// A-B, the ratios' quartiles, and the median minor faults of each.
// usage: korval_process_bench [--mapped] RUNS A [ARGS...] -- B [ARGS...]

#include <X11/Xlib.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{

struct Cost {
    double cpuMs = 0;
    double peakMiB = 0;
    double minorFaults = 0; // on a paravirtualised guest each costs thousands of instructions
};

[[noreturn]] void die(const std::string& why)
{
    std::fprintf(stderr, "korval_process_bench: %s\n", why.c_str());
    std::exit(2);
}

pid_t start(const std::vector<char*>& command)
{
    const pid_t pid = fork();
    if (pid < 0) die("fork");
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        execvp(command[0], command.data());
        _exit(127);
    }
    return pid;
}

double rusageMs(const rusage& usage)
{
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// A run to its own end: the kernel's account of the child, threads included.
Cost untilExit(const std::vector<char*>& command)
{
    const pid_t pid = start(command);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) die("wait4");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) die(std::string(command[0]) + " failed");
    return {rusageMs(usage), usage.ru_maxrss / 1024.0, double(usage.ru_minflt)};
}

// The time on CPU of every thread alive, in ns (the scheduler's account:
// exact, where the rusage ticks of a live process are not).
double liveCpuMs(pid_t pid)
{
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir) die("no " + tasks);
    double ns = 0;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        std::ifstream stat(tasks + "/" + entry->d_name + "/schedstat");
        double onCpu = 0;
        stat >> onCpu;
        ns += onCpu;
    }
    closedir(dir);
    return ns / 1e6;
}

double peakMiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    die("no VmHWM");
}

// The process's minor faults, every thread's (stat's tenth field).
double minorFaults(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t afterName = line.rfind(')');
    if (afterName == std::string::npos) die("no stat for the child");
    std::istringstream fields(line.substr(afterName + 2));
    std::string skipped;
    for (int i = 0; i < 7; ++i) // state, parent, group, session, terminal, its group, flags
        fields >> skipped;
    double faults = 0;
    fields >> faults;
    return faults;
}

// A run until its first window is mapped. The benchmark is the display's
// window manager: a top-level window's map comes to it as a request, and the
// child is stopped there, before the server maps the window and sends the
// child the expose that starts its first paint. (Stopping it at the map
// itself would count whatever share of that paint ran before the signal.)
bool g_redirectRefused = false;

int noteRedirectRefused(Display*, XErrorEvent* error)
{
    if (error->error_code == BadAccess) g_redirectRefused = true;
    return 0;
}

Cost untilMapped(Display* display, const std::vector<char*>& command)
{
    const Window root = DefaultRootWindow(display);
    XErrorHandler previous = XSetErrorHandler(noteRedirectRefused);
    XSelectInput(display, root, SubstructureRedirectMask);
    XSync(display, True);
    XSetErrorHandler(previous);
    if (g_redirectRefused) die("another window manager runs on this display");
    const pid_t pid = start(command);
    bool mapped = false;
    while (!mapped) {
        if (XPending(display) == 0) {
            pollfd fd{ConnectionNumber(display), POLLIN, 0};
            if (poll(&fd, 1, 20000) <= 0) {
                kill(pid, SIGKILL);
                die(std::string(command[0]) + " mapped no window in 20 s");
            }
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ConfigureRequest) { // placed and sized as asked, as without a manager
            const XConfigureRequestEvent& asked = event.xconfigurerequest;
            XWindowChanges changes{
                asked.x,     asked.y,     asked.width, asked.height, asked.border_width,
                asked.above, asked.detail};
            XConfigureWindow(display, asked.window, unsigned(asked.value_mask), &changes);
        }
        mapped = event.type == MapRequest;
    }
    kill(pid, SIGSTOP);
    int status = 0;
    if (waitpid(pid, &status, WUNTRACED) != pid || !WIFSTOPPED(status))
        die(std::string(command[0]) + " ended before it was measured");
    const Cost cost{liveCpuMs(pid), peakMiB(pid), minorFaults(pid)};
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    XSelectInput(display, root, NoEventMask);
    XSync(display, True); // the requests of the killed window are not the next run's
    return cost;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double quartile(std::vector<double> values, int which)
{
    std::sort(values.begin(), values.end());
    return values[values.size() * which / 4];
}

} // namespace

int main(int argc, char** argv)
{
    int at = 1;
    const bool mapped = at < argc && std::strcmp(argv[at], "--mapped") == 0;
    if (mapped) ++at;
    if (argc - at < 4)
        die("usage: korval_process_bench [--mapped] RUNS A [ARGS...] -- B [ARGS...]");
    const int runs = std::atoi(argv[at++]);
    std::vector<char*> a;
    std::vector<char*> b;
    for (; at < argc && std::strcmp(argv[at], "--") != 0; ++at)
        a.push_back(argv[at]);
    for (++at; at < argc; ++at)
        b.push_back(argv[at]);
    if (runs < 1 || a.empty() || b.empty()) die("two commands and a number of runs are needed");
    a.push_back(nullptr);
    b.push_back(nullptr);

    Display* display = nullptr;
    if (mapped && !(display = XOpenDisplay(nullptr))) die("no display");
    const auto measure = [&](const std::vector<char*>& command) {
        return mapped ? untilMapped(display, command) : untilExit(command);
    };
    // One run of each first, unmeasured: the files in the page cache.
    measure(a);
    measure(b);
    std::vector<double> cpuA, cpuB, ratio, memA, memB, memDiff, faultsA, faultsB;
    for (int i = 0; i < runs; ++i) {
        const Cost x = measure(a);
        const Cost y = measure(b);
        cpuA.push_back(x.cpuMs);
        cpuB.push_back(y.cpuMs);
        ratio.push_back(x.cpuMs / y.cpuMs);
        memA.push_back(x.peakMiB);
        memB.push_back(y.peakMiB);
        memDiff.push_back(x.peakMiB - y.peakMiB);
        faultsA.push_back(x.minorFaults);
        faultsB.push_back(y.minorFaults);
    }
    if (display) XCloseDisplay(display);
    std::printf("ratio %.4f q1 %.4f q3 %.4f cpuA %.3f cpuB %.3f memA %.2f memB %.2f memDiff %.2f "
                "faultsA %.0f faultsB %.0f runs %d\n",
                median(ratio), quartile(ratio, 1), quartile(ratio, 3), median(cpuA), median(cpuB),
                median(memA), median(memB), median(memDiff), median(faultsA), median(faultsB),
                runs);
    return 0;
}
