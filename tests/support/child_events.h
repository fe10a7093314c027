// Events between a test and the processes it starts, so that a test holds on
// a loaded machine: a child is made to wait at a known point, the test acts
// once it is there, and no step is given a time it must finish in.
#pragma once

#include <chrono>
#include <functional>
#include <string>

// The longest a test waits for a process to reach a point or to end. Far
// beyond what any step takes on a loaded machine, it only bounds a failure.
constexpr std::chrono::seconds kLongestWait{300};

// Calls done every few milliseconds until it returns true; false once
// kLongestWait has passed.
bool PollUntil(const std::function<bool()>& done);

// A named pipe that whoever opens it to read, as a document, waits on: the
// read returns only once this end is closed. So a child given it as its
// document stops at a known point, reading it, and stays there.
class HeldPipe {
   public:
    // Makes the pipe at path; a failure is a test failure.
    explicit HeldPipe(const std::string& path);
    // Closes this end: a reader still there reads the end of the file.
    ~HeldPipe();
    HeldPipe(const HeldPipe&) = delete;
    HeldPipe& operator=(const HeldPipe&) = delete;

    const std::string& path() const { return path_; }

    // Waits until a process has the pipe open for reading, then opens this
    // end, which holds the reader in its read; false when none came, or
    // once gone (when given) says none will.
    bool WaitForReader(const std::function<bool()>& gone = nullptr);

   private:
    std::string path_;
    int writer_ = -1;
};
