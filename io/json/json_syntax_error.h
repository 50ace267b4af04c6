// Locating a JSON syntax error for a readable message.
//
// The fast parser only says that a document is malformed. When it does, the
// text is parsed a second time with a streaming parser that reports the byte
// at which it stopped; that offset becomes a line and column. This runs only
// on failure, so its speed does not matter.
#pragma once

#include <string>
#include <string_view>

struct JsonSyntaxError
{
    bool found = false;
    std::string location;  // "line 3, column 7 (byte 41)"
    std::string reason;    // "syntax error while parsing value - invalid literal; ..."
};

JsonSyntaxError locateJsonSyntaxError(std::string_view text);
