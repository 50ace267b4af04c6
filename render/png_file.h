// PNG files of finished pictures.
//
// A picture is encoded in memory first and then written through a temporary
// file in the target's folder, renamed over the target only once every byte
// is on disk, so a failed or interrupted write never leaves a truncated PNG
// where a viewer (or a test comparing pictures) would pick it up. The rename
// that replaces the target is the one platform-specific call of this layer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Encodes width * height tightly packed 8-bit RGB pixels, top row first.
// The encoder is deterministic: equal pixels give equal bytes.
bool encodePng(const std::vector<uint8_t> &rgb, int width, int height, std::string &png, std::string &error);

// Writes bytes to path through a temporary file beside it (see above). On
// failure the temporary file is removed, the target is left as it was, and
// `error` names the path.
bool writeFileReplacing(const std::string &path, const std::string &bytes, std::string &error);
