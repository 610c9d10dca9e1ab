// ASE text as the converter reads it: the whole file in memory as 8-bit text, the extent
// of every { } block, and a cursor that reads forward inside one span of the text.
//
// Every read is confined to a span, so a search never runs from one object into the next
// and nothing is read outside the text. Values follow the C library's conversions of a
// token (atoi, atol, atof), and a missing token reads as the empty text would: 0 or "".
// Each scan moves forward only, so reading a file takes time in proportion to its size
// whatever its lines look like.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace aseimport {

// [begin, end) offsets into the text.
struct Span {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool empty() const { return end <= begin; }
};

// The text of an ASE file's bytes. A UTF-8 byte-order mark is dropped; UTF-16 text
// (little or big endian, with its byte-order mark) is converted into storage as UTF-8,
// so names keep every character and match the UTF-8 of the project script (a broken
// surrogate pair becomes U+FFFD). Other bytes are the text as they are.
std::string_view DecodeAseText(std::string_view bytes, std::string& storage);

// Whether word (a keyword without its '*') is keyword, or keyword with its index glued on,
// as a fixed-width index field leaves "MESH_VERTEX123456"; glued gets those digits.
bool IsIndexedKeyword(std::string_view word, std::string_view keyword, std::string_view& glued);

// The C library's atol and atof of a token; both read a leading part and ignore the rest.
long long ParseInteger(std::string_view token);
double ParseReal(std::string_view token);

// The text (which must outlive it) and its blocks.
class AseText {
public:
    explicit AseText(std::string_view text) : text_(text) {}

    // Pairs every '{' with its '}' (braces inside quoted names do not count). False, with
    // the reason in *error, when a block is never closed (a truncated file or unbalanced
    // braces). A '}' that closes nothing is ignored.
    bool indexBlocks(std::string* error);

    std::string_view text() const { return text_; }
    Span all() const { return {0, text_.size()}; }
    // The inside of the block whose '{' is at openAt; false when no indexed block opens there.
    bool blockAt(std::size_t openAt, Span& inside) const;
    // 1-based line number of an offset, for messages.
    std::size_t lineOf(std::size_t offset) const;

private:
    std::string_view text_;
    std::vector<std::pair<std::size_t, std::size_t>> blocks_;   // '{' and '}' offsets, by '{'
};

class Cursor {
public:
    Cursor(const AseText& text, Span span);

    // Moves just past the next occurrence of keyword that is not followed by a letter,
    // digit or '_' (so "*MESH_VERTEX" does not stop at "*MESH_VERTEX_LIST"). Returns false
    // and stays where it is when the span holds none.
    bool find(std::string_view keyword);
    // Like find for a "*KEYWORD", but only among the lines of this block itself: the
    // blocks nested in it are stepped over without being read.
    bool findAtLevel(std::string_view keyword);
    // Like find, but gives up at the first '}' (the end of the block the cursor is in).
    bool findBeforeBlockEnd(std::string_view keyword);
    // The block opened on the rest of the current line (before another keyword); the
    // cursor moves past its '}'. An empty span (cursor unmoved) when the line opens none.
    Span block();
    // The next "*KEYWORD" in the span (without the '*'); empty at the end of the span.
    std::string_view nextKeyword();
    // Like nextKeyword, but steps over nested blocks; keywordAt gets the offset of the '*'.
    std::string_view nextKeywordAtLevel(std::size_t* keywordAt = nullptr);

    // Values on the current line. Blanks before a token are skipped; a token ends at a
    // blank or the line end; a missing token reads as 0.
    std::string_view token();
    long long integer();
    float real();
    // A name in double quotes (or, without quotes, the rest of the line).
    std::string quoted();
    // The rest of the line without surrounding blanks.
    std::string_view restOfLine();
    // Moves past the next token on the current line that is exactly label; false (having
    // read the rest of the line) when there is none.
    bool skipToToken(std::string_view label);
    // Moves past the next "*keyword" on the current line; false (at the line end) when
    // there is none.
    bool skipToKeywordOnLine(std::string_view keyword);

    std::size_t position() const { return pos_; }
    void seek(std::size_t offset) { pos_ = offset < span_.begin ? span_.begin : (offset > span_.end ? span_.end : offset); }
    Span span() const { return span_; }
    Span rest() const { return {pos_, span_.end}; }
    bool atEnd() const { return pos_ >= span_.end; }

private:
    std::size_t search(std::string_view keyword, std::size_t from, std::size_t limit) const;
    std::size_t lineEnd() const;
    void skipBlanks();
    bool atTokenEnd(std::size_t at) const;

    const AseText& text_;
    const char* data_;
    Span span_;
    std::size_t pos_;
    // The next '{' at or after braceFrom_ (the span's end when none), kept between calls
    // so that walking a level finds each brace once.
    std::size_t braceFrom_ = SIZE_MAX;
    std::size_t braceAt_ = 0;
};

}  // namespace aseimport
