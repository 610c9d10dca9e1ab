#include "VEK_AseText.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>

namespace aseimport {
namespace {
// Character classes, looked up: the scanners below test every character they pass.
enum CharClass : unsigned char { kWord = 1, kBlank = 2, kLineEnd = 4 };

struct CharClasses {
    unsigned char of[256] = {};
    constexpr CharClasses()
    {
        for (int c = 'a'; c <= 'z'; ++c) of[c] = kWord;
        for (int c = 'A'; c <= 'Z'; ++c) of[c] = kWord;
        for (int c = '0'; c <= '9'; ++c) of[c] = kWord;
        of[int('_')] = kWord;
        // Blanks separate tokens on a line; '\r' counts as one so CRLF text reads like LF text.
        for (const char c : {' ', '\t', '\r', '\v', '\f'}) of[int(c)] = kBlank;
        of[int('\n')] = kLineEnd;
    }
};
constexpr CharClasses kClasses;

bool IsWordChar(char c) { return kClasses.of[static_cast<unsigned char>(c)] & kWord; }
bool IsBlank(char c) { return kClasses.of[static_cast<unsigned char>(c)] & kBlank; }
bool EndsToken(char c) { return kClasses.of[static_cast<unsigned char>(c)] & (kBlank | kLineEnd); }
bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// Offset of the next c in [from, end), or end.
std::size_t NextOf(const char* data, char c, std::size_t from, std::size_t end)
{
    if (from >= end) return end;
    const void* hit = std::memchr(data + from, c, end - from);
    return hit ? std::size_t(static_cast<const char*>(hit) - data) : end;
}

void AppendUtf8(std::string& text, std::uint32_t code)
{
    if (code < 0x80) {
        text.push_back(char(code));
    } else if (code < 0x800) {
        text.push_back(char(0xC0 | (code >> 6)));
        text.push_back(char(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        text.push_back(char(0xE0 | (code >> 12)));
        text.push_back(char(0x80 | ((code >> 6) & 0x3F)));
        text.push_back(char(0x80 | (code & 0x3F)));
    } else {
        text.push_back(char(0xF0 | (code >> 18)));
        text.push_back(char(0x80 | ((code >> 12) & 0x3F)));
        text.push_back(char(0x80 | ((code >> 6) & 0x3F)));
        text.push_back(char(0x80 | (code & 0x3F)));
    }
}

std::string DecodeUtf16(std::string_view bytes, bool bigEndian)
{
    constexpr std::uint32_t kReplacement = 0xFFFD;
    const std::size_t units = (bytes.size() - 2) / 2;   // after the byte-order mark
    auto unit = [&](std::size_t i) -> std::uint32_t {
        const auto first = static_cast<unsigned char>(bytes[2 + 2 * i]);
        const auto second = static_cast<unsigned char>(bytes[3 + 2 * i]);
        return bigEndian ? (first << 8) | second : (second << 8) | first;
    };
    std::string text;
    text.reserve(units);
    for (std::size_t i = 0; i < units; ++i) {
        std::uint32_t code = unit(i);
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) < 0xE000)
            code = 0x10000 + ((code - 0xD800) << 10) + (unit(++i) - 0xDC00);
        else if (code >= 0xD800 && code < 0xE000)
            code = kReplacement;
        AppendUtf8(text, code);
    }
    return text;
}

// A decimal number (sign, digits, fraction, exponent) with at most 19 significant digits
// and a power of ten up to 22: both the digits and the power are exact doubles, so one
// multiplication or division rounds exactly as strtod does. False for anything else.
bool FastReal(const char* at, const char* end, double& value, const char*& after)
{
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const char* p = at;
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
    std::uint64_t digits = 0;
    const char* first = p;
    for (; p < end && IsDigit(*p); ++p) digits = digits * 10 + std::uint64_t(*p - '0');
    std::ptrdiff_t count = p - first;
    int exponent = 0;
    if (p < end && *p == '.') {
        const char* fraction = ++p;
        for (; p < end && IsDigit(*p); ++p) digits = digits * 10 + std::uint64_t(*p - '0');
        exponent = -int(p - fraction);
        count += p - fraction;
    }
    // More than 19 digits may have overflowed; exponents are rare: both go the long way.
    if (count == 0 || count > 19 || (p < end && (*p == 'e' || *p == 'E'))) return false;
    if (digits > (std::uint64_t(1) << 53) || exponent < -22) return false;
    const double magnitude = exponent < 0 ? double(digits) / kPowers[-exponent] : double(digits);
    value = negative ? -magnitude : magnitude;
    after = p;
    return true;
}
}  // namespace

std::string_view DecodeAseText(std::string_view bytes, std::string& storage)
{
    const bool little = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
    const bool big = bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF';
    if (little || big) {
        storage = DecodeUtf16(bytes, big);
        return storage;
    }
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    return bytes;
}

bool IsIndexedKeyword(std::string_view word, std::string_view keyword, std::string_view& glued)
{
    if (word.size() < keyword.size() || word.compare(0, keyword.size(), keyword) != 0) return false;
    glued = word.substr(keyword.size());
    for (const char c : glued)
        if (!IsDigit(c)) return false;
    return true;
}

long long ParseInteger(std::string_view token)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) negative = token[i++] == '-';
    // Saturates instead of overflowing; callers range-check what they keep.
    constexpr long long limit = 1LL << 62, largestToExtend = (limit - 9) / 10;
    long long value = 0;
    for (; i < token.size() && IsDigit(token[i]); ++i)
        value = value > largestToExtend ? limit : value * 10 + (token[i] - '0');
    return negative ? -value : value;
}

double ParseReal(std::string_view token)
{
    if (token.empty()) return 0.0;
    std::string_view digits = token;
    if (digits[0] == '+') {
        digits.remove_prefix(1);
        if (digits.empty() || digits[0] == '+' || digits[0] == '-') return 0.0;
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error == std::errc() && end == digits.data() + digits.size()) return value;
    // Hexadecimal, out-of-range or trailing characters: the C library decides, as atof does.
    const std::string copy(token);
    return std::strtod(copy.c_str(), nullptr);
}

// ---- AseText ----------------------------------------------------------------------------

bool AseText::indexBlocks(std::string* error)
{
    blocks_.clear();
    std::vector<std::size_t> open;
    const char* data = text_.data();
    const std::size_t size = text_.size();
    // The next brace, quote and line end, each found with memchr and moved only forward.
    std::size_t openAt = NextOf(data, '{', 0, size), closeAt = NextOf(data, '}', 0, size);
    std::size_t quoteAt = NextOf(data, '"', 0, size), lineEndAt = NextOf(data, '\n', 0, size);
    while (true) {
        const std::size_t at = std::min({openAt, closeAt, quoteAt});
        if (at >= size) break;
        if (at == quoteAt) {
            // A name runs to its closing quote or, when that is missing, to the line end.
            if (lineEndAt <= at) lineEndAt = NextOf(data, '\n', at + 1, size);
            const std::size_t close = NextOf(data, '"', at + 1, lineEndAt);
            const std::size_t after = close < lineEndAt ? close + 1 : lineEndAt;
            if (openAt < after) openAt = NextOf(data, '{', after, size);
            if (closeAt < after) closeAt = NextOf(data, '}', after, size);
            quoteAt = NextOf(data, '"', after, size);
        } else if (at == openAt) {
            open.push_back(blocks_.size());
            blocks_.emplace_back(at, std::size_t(0));
            openAt = NextOf(data, '{', at + 1, size);
        } else {
            if (!open.empty()) {
                blocks_[open.back()].second = at;
                open.pop_back();
            }
            closeAt = NextOf(data, '}', at + 1, size);
        }
    }
    if (open.empty()) return true;
    if (error) {
        *error = "The block opened at line " + std::to_string(lineOf(blocks_[open.front()].first)) +
                 " is never closed: the file is cut short or its braces do not balance";
    }
    return false;
}

bool AseText::blockAt(std::size_t openAt, Span& inside) const
{
    const auto found = std::lower_bound(blocks_.begin(), blocks_.end(), openAt,
                                        [](const auto& block, std::size_t offset) { return block.first < offset; });
    if (found == blocks_.end() || found->first != openAt || found->second <= openAt) return false;
    inside = {openAt + 1, found->second};
    return true;
}

std::size_t AseText::lineOf(std::size_t offset) const
{
    offset = std::min(offset, text_.size());
    return 1 + std::size_t(std::count(text_.begin(), text_.begin() + std::ptrdiff_t(offset), '\n'));
}

// ---- Cursor -----------------------------------------------------------------------------

Cursor::Cursor(const AseText& text, Span span) : text_(text), data_(text.text().data()), span_(span), pos_(span.begin)
{
    span_.end = std::min(span_.end, text.text().size());
    span_.begin = std::min(span_.begin, span_.end);
    pos_ = span_.begin;
}

std::size_t Cursor::search(std::string_view keyword, std::size_t from, std::size_t limit) const
{
    if (keyword.empty()) return limit;
    while (from < limit && limit - from >= keyword.size()) {
        const void* hit = memmem(data_ + from, limit - from, keyword.data(), keyword.size());
        if (!hit) break;
        const std::size_t at = std::size_t(static_cast<const char*>(hit) - data_);
        const std::size_t after = at + keyword.size();
        if (after >= limit || !IsWordChar(data_[after]) || !IsWordChar(keyword.back())) return at;
        from = at + 1;
    }
    return limit;
}

bool Cursor::find(std::string_view keyword)
{
    const std::size_t at = search(keyword, pos_, span_.end);
    if (at >= span_.end) return false;
    pos_ = at + keyword.size();
    return true;
}

std::string_view Cursor::nextKeywordAtLevel(std::size_t* keywordAt)
{
    if (pos_ < braceFrom_ || pos_ > braceAt_) {
        braceFrom_ = pos_;
        braceAt_ = NextOf(data_, '{', pos_, span_.end);
    }
    while (pos_ < span_.end) {
        const std::size_t starAt = NextOf(data_, '*', pos_, span_.end);
        if (braceAt_ < starAt) {
            Span inside;
            pos_ = text_.blockAt(braceAt_, inside) ? std::min(inside.end + 1, span_.end) : braceAt_ + 1;
            braceFrom_ = pos_;
            braceAt_ = NextOf(data_, '{', pos_, span_.end);
            continue;
        }
        if (starAt >= span_.end) break;
        std::size_t end = starAt + 1;
        while (end < span_.end && IsWordChar(data_[end])) ++end;
        pos_ = end;
        if (end == starAt + 1) continue;
        if (keywordAt) *keywordAt = starAt;
        return {data_ + starAt + 1, end - starAt - 1};
    }
    pos_ = span_.end;
    return {};
}

bool Cursor::findAtLevel(std::string_view keyword)
{
    const std::size_t start = pos_;
    const std::string_view word = keyword.substr(1);   // without its '*'
    for (std::string_view next = nextKeywordAtLevel(); !next.empty(); next = nextKeywordAtLevel())
        if (next == word) return true;
    pos_ = start;
    return false;
}

bool Cursor::findBeforeBlockEnd(std::string_view keyword)
{
    const std::size_t limit = NextOf(data_, '}', pos_, span_.end);
    const std::size_t at = search(keyword, pos_, limit);
    if (at >= limit) return false;
    pos_ = at + keyword.size();
    return true;
}

std::size_t Cursor::lineEnd() const { return NextOf(data_, '\n', pos_, span_.end); }

Span Cursor::block()
{
    // The brace comes before the line's end and before any other keyword.
    for (std::size_t at = pos_; at < span_.end && data_[at] != '\n' && data_[at] != '*'; ++at) {
        if (data_[at] == '"') {
            while (at + 1 < span_.end && data_[at + 1] != '"' && data_[at + 1] != '\n') ++at;
            ++at;
            if (at >= span_.end || data_[at] == '\n') break;
            continue;
        }
        if (data_[at] != '{') continue;
        Span inside;
        if (!text_.blockAt(at, inside)) return {pos_, pos_};
        inside.end = std::min(inside.end, span_.end);
        pos_ = std::min(inside.end + 1, span_.end);
        return inside;
    }
    return {pos_, pos_};
}

std::string_view Cursor::nextKeyword()
{
    while (pos_ < span_.end) {
        // The next keyword is usually a few blanks away: look there before asking memchr.
        std::size_t starAt = pos_;
        const std::size_t nearEnd = std::min(span_.end, pos_ + 16);
        while (starAt < nearEnd && data_[starAt] != '*') ++starAt;
        if (starAt == nearEnd) starAt = NextOf(data_, '*', nearEnd, span_.end);
        if (starAt >= span_.end) break;
        std::size_t end = starAt + 1;
        while (end < span_.end && IsWordChar(data_[end])) ++end;
        pos_ = end;
        if (end > starAt + 1) return {data_ + starAt + 1, end - starAt - 1};
    }
    pos_ = span_.end;
    return {};
}

void Cursor::skipBlanks()
{
    while (pos_ < span_.end && IsBlank(data_[pos_])) ++pos_;
}

bool Cursor::atTokenEnd(std::size_t at) const { return at >= span_.end || EndsToken(data_[at]); }

std::string_view Cursor::token()
{
    skipBlanks();
    const std::size_t begin = pos_;
    while (!atTokenEnd(pos_)) ++pos_;
    return {data_ + begin, pos_ - begin};
}

long long Cursor::integer()
{
    skipBlanks();
    // ParseInteger of the token, in the same pass that finds the token's end.
    bool negative = false;
    if (pos_ < span_.end && (data_[pos_] == '-' || data_[pos_] == '+')) negative = data_[pos_++] == '-';
    constexpr long long limit = 1LL << 62, largestToExtend = (limit - 9) / 10;
    long long value = 0;
    for (; pos_ < span_.end && IsDigit(data_[pos_]); ++pos_)
        value = value > largestToExtend ? limit : value * 10 + (data_[pos_] - '0');
    while (!atTokenEnd(pos_)) ++pos_;
    return negative ? -value : value;
}

float Cursor::real()
{
    skipBlanks();
    double value = 0.0;
    const char* after = nullptr;
    if (FastReal(data_ + pos_, data_ + span_.end, value, after) && atTokenEnd(std::size_t(after - data_))) {
        pos_ = std::size_t(after - data_);
        return float(value);
    }
    return float(ParseReal(token()));
}

std::string Cursor::quoted()
{
    skipBlanks();
    if (pos_ >= span_.end || data_[pos_] != '"') return std::string(restOfLine());
    const std::size_t begin = ++pos_;
    const std::size_t end = lineEnd();
    const std::size_t quote = NextOf(data_, '"', begin, end);
    std::size_t stop = quote;
    pos_ = quote < end ? quote + 1 : end;
    if (quote >= end)
        while (stop > begin && IsBlank(data_[stop - 1])) --stop;
    return std::string(data_ + begin, stop - begin);
}

std::string_view Cursor::restOfLine()
{
    skipBlanks();
    const std::size_t begin = pos_;
    std::size_t end = lineEnd();
    pos_ = end;
    while (end > begin && IsBlank(data_[end - 1])) --end;
    return {data_ + begin, end - begin};
}

bool Cursor::skipToKeywordOnLine(std::string_view keyword)
{
    while (pos_ < span_.end && data_[pos_] != '\n') {
        if (data_[pos_++] != '*') continue;
        const std::size_t begin = pos_;
        while (pos_ < span_.end && IsWordChar(data_[pos_])) ++pos_;
        if (std::string_view(data_ + begin, pos_ - begin) == keyword) return true;
    }
    return false;
}

bool Cursor::skipToToken(std::string_view label)
{
    for (std::string_view next = token(); !next.empty(); next = token())
        if (next == label) return true;
    return false;
}

}  // namespace aseimport
