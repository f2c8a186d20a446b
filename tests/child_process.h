#pragma once
// A test's step run in a child process of its own (fork), for what must not
// touch the test's own process: a writer killed halfway, a resource limit.

#include <sys/wait.h>
#include <unistd.h>

// The exit code of a child process that runs `run` (its result is the code),
// or 128 + the signal that ended it.
template <typename Run>
int exitCodeInChild(Run run) {
    const pid_t child = fork();
    if (child == 0) _exit(run());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
