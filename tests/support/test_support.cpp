#include "support/test_support.h"

#include <iconv.h>

#include <stdexcept>

static std::string Convert(const std::string& in, const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
    std::string out(in.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    char* dst = out.data();
    size_t dst_left = out.size();
    size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1)) throw std::runtime_error("iconv failed");
    out.resize(out.size() - dst_left);
    return out;
}

std::string Utf8ToCp932(const std::string& utf8) {
    return Convert(utf8, "CP932", "UTF-8");
}
std::string Cp932ToUtf8(const std::string& cp932) {
    return Convert(cp932, "UTF-8", "CP932");
}

static void RecordMessage(void* user, const char* text) {
    static_cast<MessageLog*>(user)->texts.emplace_back(text);
}

MQOMessageSink MessageLog::Sink() {
    return MQOMessageSink::ForUser(this, RecordMessage);
}

std::string SharedDir() {
    return VARNEL_SHARED_DIR;
}
std::string SamplesDir() {
    return VARNEL_SAMPLES_DIR;
}
std::string TestDataDir() {
    return VARNEL_TEST_DATA_DIR;
}
