// The importer's diagnostics as the command shows them on standard error and
// the page in its list of messages.
//
// They are code page 932 text with the document's path written into them as
// the system gave it; off Windows, and in the page, that path is UTF-8, so it
// is shown as typed and only the rest is decoded. Whatever the document put in them (an
// object's name, an unknown token) may hold control bytes, which are shown
// escaped (model/shown_text.h). The reader tells an unknown token at a time:
// a block it does not know (a thumbnail's pixels, an extension's settings)
// makes hundreds of lines, and garbage or NUL bytes outside any block one
// per token. Such a run is shown as its first line and a count.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/message_code.h"

// The document's path as the reader was given it, which its messages hold,
// and as the command shows it, in UTF-8. They differ on Windows, where the
// importer is given the name in the system's code page (plugin_module.h).
struct DocumentName {
    std::string given;
    std::string shown;
};

class MessageView {
   public:
    // Takes each line shown, ended by '\n'.
    using LineWriter = std::function<void(const std::string& line)>;

    MessageView(LineWriter write, DocumentName document);
    MessageView(std::FILE* out, DocumentName document);
    MessageView(const MessageView&) = delete;
    MessageView& operator=(const MessageView&) = delete;
    ~MessageView() { Finish(); }

    void Show(const MQOMessage& message);
    // Shows the run still held back; call before anything else is printed.
    void Finish();

   private:
    void Hold(std::string_view token, const char* text);
    std::string Line(const char* text) const;

    LineWriter write_;
    DocumentName document_;
    // The run of unknown tokens being gathered: its first lines (shown form,
    // without line ends), how many tokens it has, the braces still open and
    // whether one was opened.
    std::vector<std::string> held_;
    size_t tokens_ = 0;
    int depth_ = 0;
    bool block_ = false;
    bool code_page_ = false;
};

// The message in UTF-8: the document's path in it as shown, the rest
// decoded from code page 932.
std::string MessageAsUtf8(const char* text, const DocumentName& document);
