// Helpers shared by the tests: temporary documents (support/temp_file.h),
// code page conversion and a sink that records messages.
#pragma once

#include <string>
#include <vector>

#include "model/mqo_message_sink.h"
#include "support/temp_file.h"

// Converts with iconv; the tests compare message bytes against these.
std::string Utf8ToCp932(const std::string& utf8);
std::string Cp932ToUtf8(const std::string& cp932);

// Records every text delivered to its sink, in order.
struct MessageLog {
    std::vector<std::string> texts;
    MQOMessageSink Sink();
};

// Path of a file in ../shared/corpus, the project's samples or the tests' data.
// A document of one object "grid": n by n quads in the XZ plane, corner
// (offset, offset, offset), with the object lines given (patch, segment,
// mirror...) before its vertices.
std::string GridDocument(int n, const std::string& object_lines, int offset = 0);

std::string SharedDir();
std::string SamplesDir();
std::string TestDataDir();
