#include "start_up.h"

#include <csignal>

void ignoreClosedOutput()
{
    std::signal(SIGPIPE, SIG_IGN);
}
