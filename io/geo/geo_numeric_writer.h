// Writing the body of a numeric point attribute as .geo JSON.
//
// Values are written from the paged arrays in their own storage (no
// conversion, so they read back bit for bit): "tuples" for tuples of two or
// more components, "arrays" for single components. The numbers of large
// attributes are formatted on several threads (io/json/parallel_text.h); the
// bytes do not depend on the thread count.
#pragma once

#include "io/json/json_text.h"

#include <GA/GA_ATINumeric.h>
#include <GU/GU_Detail.h>

#include <string>
#include <string_view>
#include <vector>

// Indentation of the lines inside "pointattributes".
constexpr std::string_view kAttributeEntryIndent = "\t\t\t";
constexpr std::string_view kAttributeInnerIndent = "\t\t\t\t";
constexpr std::string_view kAttributeValueIndent = "\t\t\t\t\t";

// Writes the second list of a numeric attribute entry, from "size" to the
// values, and a line break. Non-finite values add a warning.
void writeNumericBody(JsonText &json, const GA_ATINumeric &attribute, const GU_Detail &gdp,
                      std::vector<std::string> &warnings);
