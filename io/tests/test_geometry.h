// Shared helpers of the io tests: test data, attribute access and small
// geometries built in code.
#pragma once

#include <GA/GA_ATINumeric.h>
#include <GU/GU_Detail.h>

#include <cstdint>
#include <string>
#include <vector>

// Path of a file in io/tests/data.
std::string testDataPath(const std::string &name);
std::string readTextFile(const std::string &path);

// A fresh folder under the system's temporary folder, removed by the caller.
std::string makeScratchFolder(const std::string &tag);

const GA_ATINumeric *numericAttribute(const GU_Detail &gdp, const std::string &name);
// Point attribute names in dictionary order.
std::vector<std::string> attributeNames(const GU_Detail &gdp);
// One component through double (exact for every storage but int64 beyond 2^53).
double component(const GU_Detail &gdp, const std::string &name, int64_t point, int c);
// The point numbers of each polygon's corners.
std::vector<std::vector<int64_t>> polygonPoints(const GU_Detail &gdp);

// A geometry of `count` points with P = (i, 2i, 3i) / 7 and no primitives.
void makePoints(GU_Detail &gdp, int64_t count);

// .geo text with the given point count, attributes (already formatted
// entries of "pointattributes") and primitives; the vertex list is `indices`.
std::string geoDocument(int64_t points, const std::string &pointAttributes, const std::string &indices = "",
                        int64_t vertices = 0, const std::string &primitives = "", int64_t primitiveCount = 0);
// One numeric point attribute entry with the given body after "size"/"storage".
std::string numericEntry(const std::string &name, const std::string &typeOptions, int size, const std::string &storage,
                         const std::string &encoding);
