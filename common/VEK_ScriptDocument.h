// Loading the project script for a reader: a script is handed to TinyXML only when its
// elements nest no deeper than kMaxScriptNesting, because the parser recurses once per
// level and a deep enough file overflows the stack.
#pragma once

#include <string_view>

class TiXmlDocument;

// Deeper than any show needs, shallow enough for the parser's recursion on any stack.
constexpr int kMaxScriptNesting = 256;

// The reason a reader logs for a script that nests deeper.
constexpr const char* kScriptTooDeep = "Elements are nested too deeply (more than 256 levels).";

// The deepest element nesting the parser reaches on text, found in one pass the way the
// parser reads it (comments, CDATA, declarations, quoted attribute values, UTF-8 text once
// the declaration selects it). Counting stops at limit + 1.
int ScriptNestingDepth(std::string_view text, int limit = kMaxScriptNesting);

// Loads path into document; the script ends at its first zero byte. Returns nullptr when
// it parsed; otherwise the description a reader logs: the parser's own, or kScriptTooDeep
// (the parser then never sees the file).
const char* LoadScriptDocument(TiXmlDocument& document, const char* path);
