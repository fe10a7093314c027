// The importer's diagnostics as the command shows them on standard error.
//
// They are code page 932 text with the document's path written into them as
// the system gave it; off Windows that path is UTF-8, so it is shown as typed
// and only the rest is decoded. A block the reader does not know (a
// thumbnail's pixels, an extension's settings) is told one token at a time,
// hundreds of lines for one block: such a run is shown as its first line and
// a count.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

class MessageView {
   public:
    MessageView(std::FILE* out, std::string document);
    MessageView(const MessageView&) = delete;
    MessageView& operator=(const MessageView&) = delete;
    ~MessageView() { Finish(); }

    void Show(const char* text);
    // Shows the run still held back; call before anything else is printed.
    void Finish();

   private:
    void Hold(std::string_view token, const char* text);
    void Write(const std::string& utf8_line);

    std::FILE* out_;
    std::string document_;
    // The run of unknown tokens being gathered: its first lines (UTF-8,
    // without line ends), how many tokens it has, and the braces still open.
    std::vector<std::string> held_;
    size_t tokens_ = 0;
    int depth_ = 0;
    bool code_page_ = false;
};

// The message in UTF-8: the document's path in it as typed (off Windows),
// the rest decoded from code page 932.
std::string MessageAsUtf8(const char* text, const std::string& document);
