// The tokenizer: the loader's reading operations. Every byte comes through
// GetChar, which keeps the line counter; one byte too many is put back with
// UngetChar. The bytes come from the loader's window (byte_window.cpp).
#include <algorithm>
#include <cstdarg>

#include "model/text.h"
#include "reader/decimal.h"
#include "reader/mqo_loader.h"
#include "reader/report.h"

namespace {

constexpr int kEndOfFileMark = 26;
// A number's text is kept in kNumberSize bytes: its sign, digits and points
// up to kMantissaRoom bytes, then the exponent and a terminator. A longer
// number goes on in a LongDecimal, which keeps its value in bounded room.
constexpr size_t kNumberSize = 256;
constexpr size_t kMantissaRoom = kNumberSize - 1 - kExponentRoom;
// An exponent's value saturates here, far beyond any float's range and far
// below int64's, so that digits without end neither overflow nor take room.
constexpr int64_t kExponentCap = 100000000000000000;

bool IsSpace(int c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsBlank(int c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(int c) {
    return c >= '0' && c <= '9';
}

bool IsDelimiter(int c) {
    switch (c) {
        case 0:
        case '\t':
        case ' ':
        case '\r':
        case '\n':
        case '{':
        case '}':
        case '(':
        case ')':
        case ',':
        case kEndOfFileMark:
            return true;
        default:
            return false;
    }
}

// Appends bytes to a caller's buffer of `capacity` bytes, terminator included.
// Bytes that do not fit are dropped, and a double-byte character is stored
// whole or not at all, so a cut text never ends in half a character.
class TextWriter {
   public:
    TextWriter(char* buffer, size_t capacity)
        : buffer_(buffer), capacity_(capacity), full_(capacity == 0) {}

    void Put(int c) {
        bool is_trail = trail_;
        trail_ = !is_trail && IsLeadByte(static_cast<unsigned char>(c));
        if (full_) return;
        // A lead byte reserves room for its trail byte.
        size_t need = trail_ ? 2 : 1;
        if (!is_trail && length_ + need > capacity_ - 1) {
            full_ = true;
            return;
        }
        buffer_[length_++] = static_cast<char>(c);
    }

    void Finish() {
        if (capacity_ > 0) buffer_[length_] = '\0';
    }

   private:
    char* buffer_;
    size_t capacity_;
    size_t length_ = 0;
    bool full_;
    bool trail_ = false;
};

// The end test and the taking of a byte, for the loops that read most bytes:
// a pointer step through the loader's window, which goes back to the stream
// only at its end (or for every byte, for a stream read one byte at a time).
inline bool AtEndOf(MQOLoader& loader) {
    if (loader.window.next != loader.window.end) [[likely]]
        return false;
    return !loader.FillWindow();
}

[[gnu::noinline]] int TakeThroughTable(MQOLoader& loader) {
    unsigned char c = 0;
    loader.stream.ops->read(loader.stream.stream, &c, 1);
    return c;
}

// GetChar for loops that have just found the data not at its end.
inline int TakeChar(MQOLoader& loader) {
    ByteWindow& w = loader.window;
    const int c = w.next != w.end ? *w.next++ : TakeThroughTable(loader);
    if (c == '\n') ++loader.line;
    return c;
}

// The two for a loop that reads many bytes.
class ByteReader {
   public:
    explicit ByteReader(MQOLoader& loader) : loader_(loader) {}
    bool AtEnd() const { return AtEndOf(loader_); }
    int Take() { return TakeChar(loader_); }

   private:
    MQOLoader& loader_;
};

enum class Exponent { kNone, kRead, kDataEnded };

// Called with the 'e' of "1e-5" just read. The exponent is taken only when a
// digit follows, after an optional sign; otherwise every byte read here is put
// back and the number ends before the 'e'. A number that runs into the end of
// the data reads as 0, so kDataEnded leaves the exponent unset.
Exponent ReadExponent(MQOLoader& loader, int64_t& exponent) {
    int read = 1;
    int sign = 0;
    int c = 0;
    if (!loader.AtEnd()) {
        c = TakeChar(loader);
        ++read;
        if ((c == '+' || c == '-') && !loader.AtEnd()) {
            sign = c;
            c = TakeChar(loader);
            ++read;
        }
    }
    if (!IsDigit(c)) {
        while (read-- > 0) loader.UngetChar();
        return Exponent::kNone;
    }
    int64_t value = c - '0';
    while (!loader.AtEnd()) {
        c = TakeChar(loader);
        if (!IsDigit(c)) {
            loader.PutBack(c);
            exponent = sign == '-' ? -value : value;
            return Exponent::kRead;
        }
        value = std::min(value * 10 + (c - '0'), kExponentCap);
    }
    return Exponent::kDataEnded;
}

// Appends the bytes up to the next delimiter, which is put back so that it is
// the next byte read; the end of the data ends the token as well. With paren,
// an opening parenthesis that ends the token is taken instead, and *paren
// says whether it was.
void ReadTokenRest(MQOLoader& loader, TextWriter& out, bool* paren = nullptr) {
    while (!loader.AtEnd()) {
        int c = TakeChar(loader);
        if (IsDelimiter(c)) {
            if (paren != nullptr && c == '(') {
                *paren = true;
            } else {
                loader.PutBack(c);
            }
            break;
        }
        out.Put(c);
    }
    out.Finish();
}

// Succeeds when the byte found is the one expected; otherwise reports it.
bool Expect(MQOLoader& loader, int found, int expected, MessageCode message) {
    if (found == expected) return true;
    loader.Report(message, found);
    return false;
}

}  // namespace

// --- characters ------------------------------------------------------------

bool MQOLoader::AtEnd() {
    // A loader without a stream reads as empty data.
    return stream.ops == nullptr || AtEndOf(*this);
}

int MQOLoader::GetChar() {
    return AtEnd() ? 0 : TakeChar(*this);
}

// One byte back, uncounting a newline stepped over.
void MQOLoader::UngetChar() {
    if (stream.ops == nullptr) return;
    if (window.next != window.first) [[likely]] {
        if (*--window.next == '\n') --line;
        return;
    }
    StepBackOutsideWindow(true, 0);
}

// Every caller has just read c, so there is no need to read it again to see
// whether it was a newline.
void MQOLoader::PutBack(int c) {
    if (stream.ops == nullptr) return;
    if (window.next != window.first) [[likely]] {
        --window.next;
        if (c == '\n') --line;
        return;
    }
    StepBackOutsideWindow(false, c);
}

// --- skipping --------------------------------------------------------------

bool MQOLoader::SkipSpace(int& out) {
    if (AtEnd()) return false;
    for (;;) {
        int c = TakeChar(*this);
        if (!IsSpace(c)) {
            out = c;
            return true;
        }
        if (AtEnd()) return false;
    }
}

bool MQOLoader::SkipBlank() {
    if (AtEnd()) return false;
    for (;;) {
        int c = TakeChar(*this);
        if (!IsBlank(c)) {
            PutBack(c);
            return true;
        }
        if (AtEnd()) return false;
    }
}

int MQOLoader::NextChar() {
    ByteReader bytes(*this);
    if (bytes.AtEnd()) return 0;
    for (;;) {
        int c = bytes.Take();
        if (!IsSpace(c) || bytes.AtEnd()) return c;
    }
}

int MQOLoader::NextCharInLine() {
    if (AtEnd()) return 0;
    for (;;) {
        int c = TakeChar(*this);
        if (!IsBlank(c) || AtEnd()) return c;
    }
}

bool MQOLoader::SkipLine() {
    while (!AtEnd()) {
        int c = TakeChar(*this);
        if (c == '\n' || c == 0 || c == kEndOfFileMark) return true;
    }
    return false;
}

// --- tokens ----------------------------------------------------------------

// A token longer than the buffer is read to its end so that the next read
// starts after it; only what fits is kept.
bool MQOLoader::ReadToken(char* buffer, size_t capacity) {
    TextWriter out(buffer, capacity);
    int first = 0;
    if (!SkipSpace(first)) {
        out.Finish();
        return false;
    }
    out.Put(first);  // taken whatever it is, so "{" and "," are tokens
    ReadTokenRest(*this, out);
    return true;
}

namespace {

// SkipBlank and then the token, without putting the first byte after the
// blanks back only to read it again.
bool ReadTokenInLineTo(MQOLoader& loader, TextWriter& out, bool* paren) {
    out.Finish();
    if (loader.AtEnd()) return false;
    int c = TakeChar(loader);
    while (IsBlank(c)) {
        if (loader.AtEnd()) return false;
        c = TakeChar(loader);
    }
    if (IsDelimiter(c)) {
        loader.PutBack(c);
        return true;
    }
    out.Put(c);
    ReadTokenRest(loader, out, paren);
    return true;
}

}  // namespace

bool MQOLoader::ReadTokenInLine(char* buffer, size_t capacity) {
    TextWriter out(buffer, capacity);
    return ReadTokenInLineTo(*this, out, nullptr);
}

// ExpectOpenParen would read the parenthesis next and find what it expects.
bool MQOLoader::ReadTokenInLine(char* buffer, size_t capacity, bool& paren) {
    TextWriter out(buffer, capacity);
    paren = false;
    return ReadTokenInLineTo(*this, out, &paren);
}

void MQOLoader::ReadLine(char* buffer, size_t limit) {
    size_t stored = 0;
    while (!AtEnd()) {
        int c = TakeChar(*this);
        if (c == 0 || c == kEndOfFileMark) break;
        if (stored < limit) buffer[stored++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    buffer[stored] = '\0';
}

// A string longer than the buffer is read to its closing quote; only what
// fits is kept.
bool MQOLoader::ReadQuoted(char* buffer, size_t capacity) {
    TextWriter out(buffer, capacity);
    out.Finish();
    int first = 0;
    if (!SkipSpace(first)) return false;
    if (first != '"') {
        Report(MessageCode::kNoOpeningQuote, first);
        return false;
    }
    while (!AtEnd()) {
        int c = TakeChar(*this);
        if (c == '"') {
            out.Finish();
            return true;
        }
        if (c == 0 || c == '\r' || c == '\n' || c == kEndOfFileMark) break;
        out.Put(c);
    }
    out.Finish();
    return false;
}

// --- numbers ---------------------------------------------------------------

// Number readers take the byte NextChar found as it is rather than stepping
// back over it and reading it again: the result is the same at a quarter of
// the stream calls. For the same reason a number read in a row of numbers
// hands the byte that ended it to the next one instead of putting it back.
namespace {

constexpr int kNoByte = -1;

// Puts back the byte that ended a number, or hands it on when asked to.
void EndNumber(MQOLoader& loader, int c, int* handed) {
    if (handed != nullptr) {
        *handed = c;
    } else {
        loader.PutBack(c);
    }
}

// NextChar as it goes after the handed byte was put back: it reads that byte
// again, then on past white space.
int NextCharAfter(MQOLoader& loader, int handed) {
    if (handed == kNoByte) return loader.NextChar();
    ByteReader bytes(loader);
    int c = handed;
    while (IsSpace(c) && !bytes.AtEnd()) c = bytes.Take();
    return c;
}

// Appends the digits from p on to value and returns where they end. value
// wraps as the digit-by-digit arithmetic of the byte-by-byte reading wraps.
template <typename T>
const unsigned char* AddDigits(const unsigned char* p, const unsigned char* end, T& value) {
    for (; p != end && IsDigit(*p); ++p) value = static_cast<T>(value * 10u + (*p - '0'));
    return p;
}

// ReadIntAt for a number whose end is in the window, read where it lies. c
// is the byte just taken, the one before the window's next. False, having
// read nothing, when the digits run to the window's end.
bool ReadIntInWindow(MQOLoader& loader, int c, int* handed, int32_t& out) {
    ByteWindow& w = loader.window;
    if (w.next == w.first || w.next[-1] != c) return false;
    uint32_t value = 0;
    if (IsDigit(c)) value = static_cast<uint32_t>(c - '0');
    const unsigned char* p = AddDigits(w.next, w.end, value);
    if (p == w.end) return false;
    w.next = p;
    EndNumber(loader, TakeChar(loader), handed);
    out = static_cast<int32_t>(c == '-' ? 0u - value : value);
    return true;
}

// The result keeps the low 32 bits of the decimal value, so "4294967295"
// gives -1; wrapping arithmetic gives them for a text of any length. A number
// that runs into the end of the data reads as 0.
int32_t ReadIntAt(MQOLoader& loader, int c, int* handed) {
    ByteReader bytes(loader);
    if (bytes.AtEnd()) return 0;
    if (IsDigit(c) || c == '+' || c == '-') {
        if (int32_t value = 0; ReadIntInWindow(loader, c, handed, value)) return value;
    }
    bool negative = c == '-';
    uint32_t value = 0;
    // The first byte needs no end test before the next: it was made above.
    if (IsDigit(c) || c == '+' || c == '-') {
        if (IsDigit(c)) value = static_cast<uint32_t>(c - '0');
        c = bytes.Take();
        while (IsDigit(c)) {
            value = value * 10u + static_cast<uint32_t>(c - '0');
            if (bytes.AtEnd()) return 0;
            c = bytes.Take();
        }
    }
    EndNumber(loader, c, handed);
    return static_cast<int32_t>(negative ? 0u - value : value);
}

// ReadFloatAt for a number whose mantissa outgrew its room: the rest of it
// goes into a LongDecimal, from c, the byte that did not fit, on.
[[gnu::noinline]] float ReadLongFloat(MQOLoader& loader, const char* text, size_t length, int c,
                                      int* handed) {
    LongDecimal number(text, length);
    ByteReader bytes(loader);
    while (IsDigit(c) || c == '.') {
        number.Put(static_cast<char>(c));
        if (bytes.AtEnd()) return 0.0f;
        c = bytes.Take();
    }
    if ((c == 'e' || c == 'E') && number.HasDigit()) {
        int64_t exponent = 0;
        Exponent found = ReadExponent(loader, exponent);
        if (found == Exponent::kDataEnded) return 0.0f;
        return number.Value(found == Exponent::kRead ? exponent : 0);
    }
    EndNumber(loader, c, handed);
    return number.Value(0);
}

// ReadFloatAt for the common number, read where it lies in the window:
// "-12.3456" ended by a byte that is no digit, point or exponent mark, with
// that byte in the window too, and short enough for ShortDecimalValue. c is
// the byte just taken, the one before the window's next. False, having read
// nothing, for any other number, which the byte-by-byte reading then takes.
bool ReadShortFloatInWindow(MQOLoader& loader, int c, int* handed, float& out) {
    ByteWindow& w = loader.window;
    if (w.next == w.first || w.next[-1] != c) return false;
    const unsigned char* p = w.next - 1;
    const unsigned char* const end = w.end;
    const bool negative = c == '-';
    if (c == '-' || c == '+') ++p;
    // The mantissa wraps past 19 digits; ShortDecimalValue refuses them.
    uint64_t mantissa = 0;
    const unsigned char* integer = p;
    p = AddDigits(p, end, mantissa);
    long digits = p - integer;
    long fraction_digits = 0;
    if (p != end && *p == '.') {
        const unsigned char* fraction = ++p;
        p = AddDigits(p, end, mantissa);
        fraction_digits = p - fraction;
        digits += fraction_digits;
    }
    if (p == end) return false;
    const int after = *p;
    if (after == '.' || after == 'e' || after == 'E') return false;
    double value = 0.0;
    if (!ShortDecimalValue(negative, mantissa, digits, fraction_digits, value)) return false;
    // The byte after the number is taken and handed on, or left in place,
    // which is taking it and putting it back.
    w.next = p;
    if (handed != nullptr) *handed = TakeChar(loader);
    out = static_cast<float>(value);
    return true;
}

// Digits and points, then an exponent when one follows in full. Several
// points are taken; the conversion stops at the second.
float ReadFloatAt(MQOLoader& loader, int c, int* handed) {
    ByteReader bytes(loader);
    if (bytes.AtEnd()) return 0.0f;
    if (float value = 0.0f; ReadShortFloatInWindow(loader, c, handed, value)) return value;
    char text[kNumberSize];  // left unset: made for every number read
    size_t length = 0;
    bool has_digit = false;
    // The first byte needs no end test before the next: it was made above.
    if (IsDigit(c) || c == '.' || c == '+' || c == '-') {
        has_digit = IsDigit(c);
        text[length++] = static_cast<char>(c);
        c = bytes.Take();
        while (IsDigit(c) || c == '.') {
            has_digit = has_digit || IsDigit(c);
            if (length == kMantissaRoom) return ReadLongFloat(loader, text, length, c, handed);
            text[length++] = static_cast<char>(c);
            if (bytes.AtEnd()) return 0.0f;
            c = bytes.Take();
        }
    }
    if ((c == 'e' || c == 'E') && has_digit) {
        int64_t exponent = 0;
        switch (ReadExponent(loader, exponent)) {
            case Exponent::kRead:
                return DecimalToFloat(text, length, exponent);
            case Exponent::kNone:
                return DecimalToFloat(text, length);
            case Exponent::kDataEnded:
                return 0.0f;
        }
    }
    EndNumber(loader, c, handed);
    return DecimalToFloat(text, length);
}

// count numbers in a row, each read with read(loader, first byte, handed).
// With hand_last, the byte after the last number is handed back as well;
// first is a byte handed to the first number.
template <typename T, typename Read>
int ReadNumbers(MQOLoader& loader, T* out, int count, Read read, bool hand_last,
                int first = kNoByte) {
    int handed = first;
    for (int i = 0; i < count; ++i) {
        int c = NextCharAfter(loader, handed);
        handed = kNoByte;
        out[i] = read(loader, c, i + 1 < count || hand_last ? &handed : nullptr);
    }
    return handed;
}

// ExpectCloseParen as it goes after the handed byte was put back.
bool ExpectCloseParenAfter(MQOLoader& loader, int handed) {
    if (handed == kNoByte) return loader.ExpectCloseParen();
    ByteReader bytes(loader);
    int c = handed;
    while (IsBlank(c) && !bytes.AtEnd()) c = bytes.Take();
    return Expect(loader, c, ')', MessageCode::kNoCloseParen);
}

}  // namespace

int32_t MQOLoader::ReadInt() {
    return ReadIntAt(*this, NextChar(), nullptr);
}

float MQOLoader::ReadFloat() {
    return ReadFloatAt(*this, NextChar(), nullptr);
}

void MQOLoader::ReadInts(int32_t* out, int count) {
    ReadNumbers(*this, out, count, ReadIntAt, false);
}

void MQOLoader::ReadFloats(float* out, int count) {
    ReadNumbers(*this, out, count, ReadFloatAt, false);
}

int32_t MQOLoader::ReadIntFrom(int first) {
    return ReadIntAt(*this, NextCharAfter(*this, first), nullptr);
}

void MQOLoader::ReadFloatsFrom(int first, float* out, int count) {
    ReadNumbers(*this, out, count, ReadFloatAt, false, first);
}

bool MQOLoader::ReadIntsThenCloseParen(int32_t* out, int count) {
    return ExpectCloseParenAfter(*this, ReadNumbers(*this, out, count, ReadIntAt, true));
}

bool MQOLoader::ReadFloatsThenCloseParen(float* out, int count) {
    return ExpectCloseParenAfter(*this, ReadNumbers(*this, out, count, ReadFloatAt, true));
}

uint8_t* MQOLoader::ReadIntBytes(uint8_t out[4]) {
    uint32_t v = static_cast<uint32_t>(ReadInt());
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
    return out;
}

// Red is the low byte, alpha the high byte.
float* MQOLoader::ReadColor32(float out[4]) {
    uint32_t v = static_cast<uint32_t>(ReadInt());
    for (int i = 0; i < 4; ++i) out[i] = static_cast<float>((v >> (8 * i)) & 255u) / 255.0f;
    return out;
}

float* MQOLoader::ReadFloat2(float out[2]) {
    ReadFloats(out, 2);
    return out;
}

float* MQOLoader::ReadFloat3(float out[3]) {
    ReadFloats(out, 3);
    return out;
}

float* MQOLoader::ReadFloat4(float out[4]) {
    ReadFloats(out, 4);
    return out;
}

// --- expected characters ---------------------------------------------------

// "{" may stand on a later line; parentheses and brackets must stand on the
// line of what precedes them. The byte read is consumed either way.
bool MQOLoader::ExpectOpenBrace() {
    return Expect(*this, NextChar(), '{', MessageCode::kNoOpenBrace);
}
bool MQOLoader::ExpectOpenParen() {
    return Expect(*this, NextCharInLine(), '(', MessageCode::kNoOpenParen);
}
bool MQOLoader::ExpectCloseParen() {
    return Expect(*this, NextCharInLine(), ')', MessageCode::kNoCloseParen);
}

// Brackets are reported with the parenthesis texts.
bool MQOLoader::ExpectOpenBracket() {
    return Expect(*this, NextCharInLine(), '[', MessageCode::kNoOpenParen);
}
bool MQOLoader::ExpectCloseBracket() {
    return Expect(*this, NextCharInLine(), ']', MessageCode::kNoCloseParen);
}

// --- diagnostics -----------------------------------------------------------

void MQOLoader::ReportUnknownToken(const char* token) {
    const MQOMessage about{MessageCode::kUnknownToken, line, "", token};
    ReportAboutTo(sink, &about, token);
}
