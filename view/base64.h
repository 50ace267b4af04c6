// Base64 text (RFC 4648, with '=' padding, no line breaks) for the binary
// buffers a view page carries: packed floats take a third more room as
// base64 and decode in the browser without parsing numbers.
#pragma once

#include <cstddef>
#include <string>

// Appends the base64 form of size bytes. Encoding a long buffer in pieces
// gives the same text as encoding it whole as long as every piece but the
// last holds a multiple of three bytes.
void appendBase64(std::string &out, const void *data, size_t size);

// Length of the base64 form of size bytes.
size_t base64Length(size_t size);
