#include "export/message_view.h"

#include <cstring>

#include "host/cp932.h"
#include "model/shown_text.h"

namespace {

// A run this short is shown whole: folding it would hide as much as it saves.
constexpr size_t kShownWhole = 3;

}  // namespace

std::string MessageAsUtf8(const char* text, const DocumentName& document) {
    const std::string_view message(text);
    const size_t at =
        document.given.empty() ? std::string_view::npos : message.find(document.given);
    std::string utf8;
    if (at == std::string_view::npos) {
        AppendCp932AsUtf8(utf8, message.data(), message.size());
        return utf8;
    }
    AppendCp932AsUtf8(utf8, message.data(), at);
    utf8 += document.shown;
    const std::string_view rest = message.substr(at + document.given.size());
    AppendCp932AsUtf8(utf8, rest.data(), rest.size());
    return utf8;
}

MessageView::MessageView(LineWriter write, DocumentName document)
    : write_(std::move(write)), document_(std::move(document)) {}

MessageView::MessageView(std::FILE* out, DocumentName document)
    : MessageView([out](const std::string& line) { std::fputs(line.c_str(), out); },
                  std::move(document)) {}

void MessageView::Show(const MQOMessage& message) {
    if (message.code != MessageCode::kUnknownToken) {
        Finish();
        write_(Line(message.text) + "\n");
        return;
    }
    // The token is empty for a NUL byte.
    const std::string_view token(message.subject);
    Hold(token, message.text);
    // A run ends with the brace that closes its block, a stray closing brace,
    // or the value of a CodePage line, which is a line of its own and often
    // followed at once by a thumbnail.
    const bool closed = token == "}" && depth_ == 0;
    const bool code_page_done = code_page_ && tokens_ == 2;
    if (closed || code_page_done) Finish();
}

void MessageView::Hold(std::string_view token, const char* text) {
    if (tokens_ == 0) code_page_ = token == "CodePage";
    ++tokens_;
    if (held_.size() < kShownWhole + 1) held_.push_back(Line(text));
    if (token == "{") {
        ++depth_;
        block_ = true;
    } else if (token == "}" && depth_ > 0) {
        --depth_;
    }
}

void MessageView::Finish() {
    if (tokens_ == 0) return;
    if (tokens_ <= kShownWhole) {
        for (const std::string& line : held_) write_(line + "\n");
    } else {
        write_(held_.front() + " (and " + std::to_string(tokens_ - 1) +
               (block_ ? " more tokens of this block)\n" : " more unknown tokens)\n"));
    }
    held_.clear();
    tokens_ = 0;
    depth_ = 0;
    block_ = false;
    code_page_ = false;
}

// The message as shown, without its line end: a name or token in it that
// holds a line end or an escape sequence stays on this one line, inert.
std::string MessageView::Line(const char* text) const {
    std::string utf8 = MessageAsUtf8(text, document_);
    if (!utf8.empty() && utf8.back() == '\n') utf8.pop_back();
    return ShownText(utf8);
}
