// Helpers shared by the tests: temporary documents, code page conversion and
// a sink that records messages.
#pragma once

#include <string>
#include <vector>

#include "model/mqo_message_sink.h"

// A file holding the given bytes, removed when the object goes away.
class TempFile {
   public:
    explicit TempFile(const std::string& content, const std::string& suffix = ".mqo");
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& path() const { return path_; }

   private:
    std::string path_;
};

// Converts with iconv; the tests compare message bytes against these.
std::string Utf8ToCp932(const std::string& utf8);
std::string Cp932ToUtf8(const std::string& cp932);

// Records every text delivered to its sink, in order.
struct MessageLog {
    std::vector<std::string> texts;
    MQOMessageSink Sink();
};

// Path of a file in ../shared/corpus, the project's samples or the tests' data.
std::string SharedDir();
std::string SamplesDir();
std::string TestDataDir();
