// Standard output, where the commands put their results (the dumps, the
// readable summary, usage). A result that did not arrive is a failure of the
// command: every write is checked, the first failure is kept with its
// reason, and nothing more is written after it.
#pragma once

#include <cstdio>
#include <string_view>

class ResultStream {
   public:
    explicit ResultStream(std::FILE* file) : file_(file) {}
    ResultStream(const ResultStream&) = delete;
    ResultStream& operator=(const ResultStream&) = delete;

    // For writers of their own (the JSON writer), which tell their failure
    // through Fail.
    std::FILE* file() const { return file_; }
    void Put(std::string_view text);
    // Keeps error (an errno value) unless a failure is already kept; 0 is
    // no failure.
    void Fail(int error);
    bool failed() const { return error_ != 0; }

    // Flushes and closes the stream. False when any write, the flush or the
    // close failed; the reason is told on standard error after who, except
    // for a reader that closed its pipe early, which wanted no more.
    [[nodiscard]] bool Close(const char* who);

   private:
    std::FILE* file_;
    int error_ = 0;
};

// A standard stream the program was started without is opened on the null
// device the wrong way round: its use fails as it would have, and no file
// the program opens takes its number.
void HoldClosedStandardStreams();
