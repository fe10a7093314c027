#include "reader/code_page_name.h"

#include "model/code_page.h"
#include "reader/chunk_reading.h"

namespace {

struct NamedCodePage {
    const char* name;
    int32_t code_page;
};

constexpr NamedCodePage kNames[] = {
    {"utf8", kCodePageUtf8},    {"utf-8", kCodePageUtf8},   {"65001", kCodePageUtf8},
    {"932", kCodePageJapanese}, {"936", kCodePageChinese},  {"949", kCodePageKorean},
    {"950", kCodePageTaiwan},   {"1252", kCodePageWestern},
};

}  // namespace

bool CodePageOfName(const char* word, int32_t& code_page) {
    for (const NamedCodePage& named : kNames) {
        if (SameKeyword(word, named.name)) {
            code_page = named.code_page;
            return true;
        }
    }
    return false;
}
