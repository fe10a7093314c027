#include "convert/convert_report.h"

#include <sstream>

// The paths, outputs and what the children told come from folder walks,
// archives and documents, and may hold control bytes: each line is shown
// through ShownText.
#include "model/shown_text.h"
#include "model/told_record.h"

namespace {

const char* StateWord(ConvertState state) {
    switch (state) {
        case ConvertState::kConverted:
            return "converted";
        case ConvertState::kSkipped:
            return "skipped (up to date)";
        case ConvertState::kFailed:
            return "failed";
        case ConvertState::kInterrupted:
            return "interrupted";
    }
    return "";
}

std::string Duration(double seconds) {
    const long s = long(seconds + 0.5);
    if (s < 60) return std::to_string(s) + " s";
    return std::to_string(s / 60) + " min " + std::to_string(s % 60) + " s";
}

void AppendDocuments(std::string& out, const std::vector<ConvertOutcome>& outcomes, bool failed) {
    for (const ConvertOutcome& outcome : outcomes) {
        const bool wanted = failed ? outcome.state == ConvertState::kFailed
                                   : outcome.state != ConvertState::kFailed;
        if (!wanted || outcome.lines.empty()) continue;
        out += "  " + ShownText(outcome.document) + "\n";
        for (const std::string& line : outcome.lines) out += "    " + ShownText(line) + "\n";
    }
}

}  // namespace

ConvertProgress::ConvertProgress(std::FILE* to, bool terminal, size_t total)
    : to_(to), terminal_(terminal), total_(total), start_(std::chrono::steady_clock::now()) {}

void ConvertProgress::Started(const std::string& document) {
    current_ = document;
    if (terminal_) Redraw();
}

void ConvertProgress::Ended(const ConvertOutcome& outcome) {
    ++done_;
    if (outcome.state != ConvertState::kSkipped) ++timed_;
    if (terminal_) {
        Redraw();
        return;
    }
    std::string line = "[" + std::to_string(done_) + "/" + std::to_string(total_) + "] " +
                       StateWord(outcome.state) + " " + outcome.document;
    if (outcome.state == ConvertState::kConverted) line += " -> " + outcome.output;
    if (outcome.state == ConvertState::kFailed && !outcome.lines.empty()) {
        line += ": " + outcome.lines.back();
    }
    std::fprintf(to_, "%s\n", ShownText(line).c_str());
    std::fflush(to_);
}

void ConvertProgress::Tick() {
    if (terminal_) Redraw();
}

void ConvertProgress::Finish() {
    if (terminal_) std::fputs("\r\033[K", to_);
    std::fflush(to_);
}

void ConvertProgress::Redraw() {
    std::string line = std::to_string(done_) + "/" + std::to_string(total_);
    if (done_ < total_) line += "  " + ShownText(current_);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
    if (timed_ > 0 && done_ < total_) {
        line += "  about " + Duration(elapsed.count() / double(timed_) * double(total_ - done_)) +
                " left";
    }
    // Cut from the front, where the path says least, to stay on one line.
    constexpr size_t kWidth = 79;
    if (line.size() > kWidth) {
        size_t from = line.size() - (kWidth - 3);
        // Never from the middle of a character of a UTF-8 name.
        while (from < line.size() && (static_cast<unsigned char>(line[from]) & 0xC0) == 0x80) {
            ++from;
        }
        line = "..." + line.substr(from);
    }
    std::fprintf(to_, "\r\033[K%s", line.c_str());
    std::fflush(to_);
}

std::string ConvertSummary(const std::vector<ConvertOutcome>& outcomes) {
    size_t counts[4] = {0, 0, 0, 0};
    bool warnings = false;
    for (const ConvertOutcome& outcome : outcomes) {
        ++counts[int(outcome.state)];
        warnings = warnings || (outcome.state != ConvertState::kFailed && !outcome.lines.empty());
    }
    std::string out = "converted " + std::to_string(counts[int(ConvertState::kConverted)]) +
                      ", skipped " + std::to_string(counts[int(ConvertState::kSkipped)]) +
                      " (up to date), failed " + std::to_string(counts[int(ConvertState::kFailed)]);
    if (const size_t interrupted = counts[int(ConvertState::kInterrupted)]; interrupted > 0) {
        out += ", interrupted " + std::to_string(interrupted);
    }
    out += "\n";
    if (counts[int(ConvertState::kFailed)] > 0) {
        out += "failed:\n";
        AppendDocuments(out, outcomes, true);
    }
    if (warnings) {
        out += "warnings:\n";
        AppendDocuments(out, outcomes, false);
    }
    return out;
}

ChildTold ReadChildTold(const std::string& err) {
    ChildTold told;
    std::istringstream in(err);
    std::string line;
    std::string text;
    while (std::getline(in, line)) {
        ToldKind kind = ToldKind::kWarning;
        if (ReadToldRecord(line, kind, text)) {
            told.gave_reason = told.gave_reason || kind == ToldKind::kFailure;
            line = text;
        }
        if (!line.empty()) told.lines.push_back(line);
    }
    return told;
}
