// Geometry for the view tests: points with position, direction and
// intensity, built through the host API.
#pragma once

#include <GU/GU_Detail.h>

// count points; point i at (i, 2i, -i), direction (0, 0, i), intensity
// (i + 1, 0, 0), so every value names its point.
GU_Detail makeNumberedPoints(int count);

// Base64 decoding of the text between the opening tag of element `id` and
// its closing tag in a page, as the page's script decodes it.
std::string decodeElement(const std::string &page, const std::string &id);
