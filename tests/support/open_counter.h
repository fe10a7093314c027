// Counts the times a file or folder is opened (a folder: listed) while the
// counter lives, by inotify, whichever process opens it.
#pragma once

#include <sys/inotify.h>
#include <unistd.h>

#include <string>

class OpenCounter {
   public:
    explicit OpenCounter(const std::string& path)
        : fd_(inotify_init1(IN_NONBLOCK)), watch_(inotify_add_watch(fd_, path.c_str(), IN_OPEN)) {}
    ~OpenCounter() { close(fd_); }
    OpenCounter(const OpenCounter&) = delete;
    OpenCounter& operator=(const OpenCounter&) = delete;

    bool watching() const { return fd_ >= 0 && watch_ >= 0; }

    // The opens since the last call. Only the watched path itself counts,
    // not what a watched folder holds.
    int Opens() {
        int opens = 0;
        alignas(inotify_event) char events[4096];
        for (ssize_t got; (got = read(fd_, events, sizeof events)) > 0;) {
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(events + at);
                if ((event->mask & IN_OPEN) && event->len == 0) ++opens;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        return opens;
    }

   private:
    int fd_;
    int watch_;
};
