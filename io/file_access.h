// Reading whole files and replacing files atomically.
//
// Paths are UTF-8 strings on every platform. A written file first goes to a
// temporary file in the target's own folder (so the final rename never
// crosses file systems) and is renamed over the target only after every byte
// was written; on any failure the temporary file is removed and the target
// is left as it was. The only platform-specific code of io/ is the small
// function here that names the temporary file and does the replacing rename.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Reads the whole file into `text`, leaving at least `spareCapacity` bytes of
// capacity after its end (parsers that read ahead in blocks use it). On
// failure returns false and sets `error` to a message naming the path.
bool readWholeFile(const std::string &path, std::string &text, size_t spareCapacity, std::string &error);

// Writes data to path through a temporary file beside it (see above).
bool writeFileAtomically(const std::string &path, std::string_view data, std::string &error);
