#include "VEK_ScriptDocument.h"

#include <tinyxml.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>
#include <string>

namespace {
// The scan follows TinyXML's own reading rules, so that it never sees fewer open elements
// than the parser does. Only where the parser itself stops with an error may they differ,
// and nothing the parser reads after an error counts.

// TinyXML reads the file with CR and CR LF turned into LF, up to the first zero byte.
std::string AsParserReadsIt(std::string_view raw)
{
    std::string text;
    text.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size() && raw[i] != '\0'; ++i) {
        if (raw[i] != '\r') {
            text += raw[i];
            continue;
        }
        text += '\n';
        if (i + 1 < raw.size() && raw[i + 1] == '\n') ++i;
    }
    return text;
}

bool IsSpace(unsigned char c) { return std::isspace(c) || c == '\n' || c == '\r'; }
// TinyXML takes every byte from 127 up as a letter.
bool IsLetter(unsigned char c) { return c < 127 ? std::isalpha(c) != 0 : true; }
bool IsNameStart(unsigned char c) { return IsLetter(c) || c == '_'; }
bool IsNameChar(unsigned char c)
{
    return (c < 127 ? std::isalnum(c) != 0 : true) || c == '_' || c == '-' || c == '.' || c == ':';
}

// Bytes TinyXML takes as one character of UTF-8 text, whatever follows the first.
int Utf8Length(unsigned char lead)
{
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 1;
}

bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view word)
{
    if (text.size() - at < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[at + i])) != word[i]) return false;
    return true;
}

class NestingScan {
public:
    NestingScan(std::string_view text, bool utf8) : text_(text), utf8_(utf8) {}

    bool Done() const { return at_ >= text_.size(); }
    int Deepest() const { return deepest_; }
    void ReadAsUtf8() { utf8_ = true; }

    // Reads one run of text or one piece of markup. Returns true after a declaration at
    // the top level: the parser chooses its encoding there.
    bool Step()
    {
        if (Byte(at_) != '<') {
            SkipText();
            return false;
        }
        if (Byte(at_ + 1) == '/') {
            depth_ = std::max(0, depth_ - 1);
            SkipPast(at_ + 1, ">");
        } else if (StartsWithNoCase(text_, at_, "<?xml")) {
            ReadDeclaration();
            return depth_ == 0;
        } else if (text_.compare(at_, 4, "<!--") == 0) {
            SkipPast(at_ + 4, "-->");
        } else if (text_.compare(at_, 9, "<![CDATA[") == 0) {
            SkipPast(at_ + 9, "]]>");
        } else if (IsNameStart(Byte(at_ + 1))) {
            ReadElementTag();
        } else {
            SkipPast(at_ + 1, ">");   // anything else up to '>' is unknown to the parser
        }
        return false;
    }

private:
    unsigned char Byte(std::size_t at) const { return at < text_.size() ? static_cast<unsigned char>(text_[at]) : 0; }

    // One character of text: in UTF-8 a lead byte takes the bytes after it along.
    void NextChar() { at_ = std::min(text_.size(), at_ + (utf8_ ? Utf8Length(Byte(at_)) : 1)); }

    void SkipText()
    {
        while (!Done() && Byte(at_) != '<') NextChar();
    }

    void SkipPast(std::size_t from, std::string_view end)
    {
        const std::size_t found = text_.find(end, from);
        at_ = found == std::string_view::npos ? text_.size() : found + end.size();
    }

    // at_ is on the opening quote.
    void SkipQuoted()
    {
        const unsigned char quote = Byte(at_);
        ++at_;
        while (!Done() && Byte(at_) != quote) NextChar();
        if (!Done()) ++at_;
    }

    // The parser enters an element as soon as its tag starts, empty or not.
    void ReadElementTag()
    {
        ++at_;
        deepest_ = std::max(deepest_, depth_ + 1);
        while (!Done()) {
            const unsigned char c = Byte(at_);
            if (c == '"' || c == '\'') {
                SkipQuoted();
            } else if (c == '/' && Byte(at_ + 1) == '>') {
                at_ += 2;   // an empty element
                return;
            } else if (c == '>') {
                ++at_;
                ++depth_;
                return;
            } else {
                ++at_;
            }
        }
    }

    // TinyXML reads quoted values only for version, encoding and standalone; any other
    // word ends at a space or '>'.
    void ReadDeclaration()
    {
        at_ += 5;
        while (!Done()) {
            if (Byte(at_) == '>') {
                ++at_;
                return;
            }
            while (!Done() && IsSpace(Byte(at_))) ++at_;
            if (StartsWithNoCase(text_, at_, "version") || StartsWithNoCase(text_, at_, "encoding") ||
                StartsWithNoCase(text_, at_, "standalone")) {
                ReadDeclarationAttribute();
            } else {
                while (!Done() && Byte(at_) != '>' && !IsSpace(Byte(at_))) ++at_;
            }
        }
    }

    void ReadDeclarationAttribute()
    {
        while (!Done() && IsNameChar(Byte(at_))) ++at_;
        while (!Done() && IsSpace(Byte(at_))) ++at_;
        if (Byte(at_) == '=') ++at_;
        while (!Done() && IsSpace(Byte(at_))) ++at_;
        if (Byte(at_) == '"' || Byte(at_) == '\'') {
            SkipQuoted();
            return;
        }
        while (!Done() && !IsSpace(Byte(at_)) && Byte(at_) != '/' && Byte(at_) != '>') ++at_;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    int depth_ = 0;
    int deepest_ = 0;
    bool utf8_;
};

void ScanToEnd(NestingScan& scan, int limit)
{
    while (!scan.Done() && scan.Deepest() <= limit) scan.Step();
}

// The nesting on text already as the parser reads it (see AsParserReadsIt).
int NestingDepthOfReadable(const std::string& text, int limit)
{
    // A byte-order mark selects UTF-8 from the start. Otherwise the parser reads byte by
    // byte until the first declaration at the top level, then UTF-8 or bytes as that
    // declaration says: the scan reads on both ways from there and keeps the deeper.
    const bool byteOrderMark = text.starts_with("\xEF\xBB\xBF");
    NestingScan bytes(text, byteOrderMark);
    std::optional<NestingScan> utf8;
    while (!bytes.Done() && bytes.Deepest() <= limit) {
        const bool declaration = bytes.Step();
        if (declaration && !byteOrderMark && !utf8) {
            utf8 = bytes;
            utf8->ReadAsUtf8();
        }
    }
    int deepest = bytes.Deepest();
    if (utf8) {
        ScanToEnd(*utf8, limit);
        deepest = std::max(deepest, utf8->Deepest());
    }
    return std::min(deepest, limit + 1);
}
}  // namespace

int ScriptNestingDepth(std::string_view raw, int limit) { return NestingDepthOfReadable(AsParserReadsIt(raw), limit); }

const char* LoadScriptDocument(TiXmlDocument& document, const char* path)
{
    std::FILE* file = path ? std::fopen(path, "rb") : nullptr;
    if (!file) {
        document.LoadFile(static_cast<std::FILE*>(nullptr));   // the parser's own "cannot open"
        return document.ErrorDesc();
    }
    std::string text;
    char chunk[16384];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, got);
    if (std::ferror(file)) {
        // A folder opens but does not read, and the parser would take its size for a
        // file's and allocate it: reported as a file that does not open.
        std::fclose(file);
        document.LoadFile(static_cast<std::FILE*>(nullptr));
        return document.ErrorDesc();
    }
    std::fclose(file);
    // The parser gets the text the nesting scan read, never the file: its UTF-8 reading
    // steps over a zero byte and on into what follows, and from a lead byte at the very
    // end up to three bytes past its buffer. The zeros after the text stop it there.
    std::string readable = AsParserReadsIt(text);
    if (NestingDepthOfReadable(readable, kMaxScriptNesting) > kMaxScriptNesting) return kScriptTooDeep;
    readable.append(4, '\0');
    document.Clear();
    document.Parse(readable.c_str());
    return document.Error() ? document.ErrorDesc() : nullptr;
}
