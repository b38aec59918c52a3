// Preloaded into the suites and programs run under qemu-aarch64. Qt starts a
// child process with clone(CLONE_PIDFD), which qemu-user 7 refuses (EINVAL)
// although the host kernel it asks has pidfds, so QProcess never starts
// anything there. Qt asks waitid(P_PIDFD) first whether pidfds exist: told
// "no", it takes its plain fork path, which the emulator runs.

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <dlfcn.h>
#include <sys/syscall.h>
#include <sys/wait.h>

#ifndef P_PIDFD
#define P_PIDFD 3
#endif

namespace
{
using SyscallFunction = long (*)(long, ...);

// The host programs a suite starts (srec_cat) must not be handed an arm64
// library to preload; the emulated ones get it again from QEMU_SET_ENV.
__attribute__((constructor)) void keepToEmulatedPrograms()
{
    unsetenv("LD_PRELOAD");
}
} // namespace

extern "C" long syscall(long number, ...)
{
    va_list list;
    va_start(list, number);
    long a[6];
    for (long& argument : a)
        argument = va_arg(list, long);
    va_end(list);
    if (number == SYS_waitid && a[0] == P_PIDFD) {
        errno = ENOSYS;
        return -1;
    }
    static const auto next = reinterpret_cast<SyscallFunction>(dlsym(RTLD_NEXT, "syscall"));
    return next(number, a[0], a[1], a[2], a[3], a[4], a[5]);
}
