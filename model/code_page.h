// Code pages a document's text may be written in, by their Windows numbers,
// which the host's conversion calls take as they are.
#pragma once

#include <cstdint>

constexpr int32_t kCodePageJapanese = 932;  // Shift-JIS; a document that names none
constexpr int32_t kCodePageChinese = 936;   // GBK
constexpr int32_t kCodePageKorean = 949;    // Unified Hangul Code
constexpr int32_t kCodePageTaiwan = 950;    // Big5
constexpr int32_t kCodePageWestern = 1252;
constexpr int32_t kCodePageUtf8 = 65001;
