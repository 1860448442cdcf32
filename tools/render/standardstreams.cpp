#include "standardstreams.h"

#include "failure.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace standardstreams {

void reserve() {
    for (int stream = STDIN_FILENO; stream <= STDERR_FILENO; ++stream) {
        if (fcntl(stream, F_GETFD) >= 0 || errno != EBADF) continue;
        // Read-only: writing to it fails with EBADF, as writing to the closed stream would.
        const int placeholder = open("/dev/null", O_RDONLY);
        if (placeholder >= 0 && placeholder != stream) {
            dup2(placeholder, stream);
            close(placeholder);
        }
    }
}

void print(const std::string& text, const std::string& what) {
    int error = errno; // left by a write of a C++ stream that failed (--help), if one did
    bool written = !std::cout.fail();
    if (written) {
        errno = 0;
        std::cout.flush(); // what C++ streams still hold goes first
        written = !std::cout.fail();
        error = errno;
    }
    if (written) {
        written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
                  std::fflush(stdout) == 0;
        error = errno;
    }
    if (!written)
        throw Failure(ExitCode::Output,
                      what + ": " + (error != 0 ? std::strerror(error) : "write failed"));
}

void warn(const std::string& text) { std::cerr << kProgram << ": warning: " << text << '\n'; }

} // namespace standardstreams
