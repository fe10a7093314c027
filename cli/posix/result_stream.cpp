#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "cli/result_stream.h"

void HoldClosedStandardStreams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free number, which is fd: the ones below it are open.
        const int held = open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
        if (held >= 0 && held != fd) close(held);
    }
}
