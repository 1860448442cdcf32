// pendingsignal SIGNAL PROGRAM [ARG...]: runs PROGRAM with SIGNAL blocked and already pending, as a
// parent that left it so would. A program of its own rather than steps in the test's forked child:
// under valgrind the child's blocked signal stays in valgrind's own queue and is lost at exec.
#include <csignal>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 3) return 126;
    const int signal = std::atoi(argv[1]);
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, signal);
    if (sigprocmask(SIG_BLOCK, &blocked, nullptr) != 0 || raise(signal) != 0) return 126;
    execv(argv[2], argv + 2);
    return 127;
}
