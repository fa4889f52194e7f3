#pragma once

#include <cerrno>
#include <sys/types.h>
#include <sys/wait.h>

namespace larkspan::testing {

// The exit status of a finished child, or 128 + the signal that ended it.
inline int waitFor(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace larkspan::testing
