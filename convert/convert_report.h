// What `varnel convert` tells while it runs (standard error) and at the end
// (standard output).
#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

enum class ConvertState { kConverted, kSkipped, kFailed, kInterrupted };

struct ConvertOutcome {
    std::string document;
    std::string output;
    ConvertState state = ConvertState::kFailed;
    std::vector<std::string> lines;  // the reason it failed, or its warnings
};

// On a terminal one line, rewritten in place: documents done of all, the
// one started last and the time left, guessed from the pace so far.
// Elsewhere (a log, a pipe) one line per document as it ends.
class ConvertProgress {
   public:
    ConvertProgress(std::FILE* to, bool terminal, size_t total);
    void Started(const std::string& document);
    void Ended(const ConvertOutcome& outcome);
    void Tick();
    // Clears the terminal line before the summary.
    void Finish();

   private:
    void Redraw();

    std::FILE* to_;
    bool terminal_;
    size_t total_;
    size_t done_ = 0;
    size_t timed_ = 0;  // of done_, the ones that ran (skipped ones take no time)
    std::string current_;
    std::chrono::steady_clock::time_point start_;
};

// The counts (the interrupted one only when there are any), then each
// failed document with its reason and each document
// with warnings, with theirs; lines ended by '\n'.
std::string ConvertSummary(const std::vector<ConvertOutcome>& outcomes);

// What a child import told on standard error: one entry per line, in
// order, with the texts of its records (model/told_record.h), empty lines
// dropped; and whether a record said why it failed.
struct ChildTold {
    std::vector<std::string> lines;
    bool gave_reason = false;
};
ChildTold ReadChildTold(const std::string& err);
