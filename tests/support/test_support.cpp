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

std::string GridDocument(int n, const std::string& object_lines, int offset) {
    std::string doc =
        "Metasequoia Document\nFormat Text Ver 1.0\nObject \"grid\" {\n" + object_lines;
    doc += "\tvertex " + std::to_string((n + 1) * (n + 1)) + " {\n";
    for (int j = 0; j <= n; ++j) {
        for (int i = 0; i <= n; ++i) {
            doc += "\t\t" + std::to_string(offset + i) + " " + std::to_string(offset) + " " +
                   std::to_string(offset + j) + "\n";
        }
    }
    doc += "\t}\n\tface " + std::to_string(n * n) + " {\n";
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            const int a = j * (n + 1) + i;
            doc += "\t\t4 V(" + std::to_string(a) + " " + std::to_string(a + n + 1) + " " +
                   std::to_string(a + n + 2) + " " + std::to_string(a + 1) + ")\n";
        }
    }
    return doc + "\t}\n}\nEof\n";
}
