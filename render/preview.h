// Preview pictures of traced geometry: what the tracer produced, seen at a
// glance instead of read as numbers.
//
// A picture shows the collider as grey triangles and the points as marks
// coloured by the length of their intensity on a logarithmic colour scale,
// with a legend giving the scale's range. The camera is orthographic and
// frames the points and the collider automatically. Rendering runs on the
// calling thread in a fixed order and writes every byte of the picture, so
// the same input always gives the same bytes.
//
// Call order: parse the size and view (preview_options.h), load the
// geometry, then renderPreview for the pixels or writePreviewPng for a file.
// Nothing is thrown; failures come back in the result's message.
#pragma once

#include "render/preview_options.h"

#include <GU/GU_Detail.h>

#include <cstdint>
#include <string>
#include <vector>

// What a picture shows.
struct PreviewStats
{
    int64_t pointsDrawn = 0;
    int64_t pointsHidden = 0;       // behind a front face of the collider
    int64_t pointsSkipped = 0;      // non-finite position
    int64_t pointsNoIntensity = 0;  // drawn grey: zero or non-finite intensity, or none at all
    int64_t inputPoints = 0;        // points marked as original input points
    int64_t trianglesFront = 0;     // collider triangles seen from their front
    int64_t trianglesBack = 0;      // seen from their back
    int64_t trianglesSkipped = 0;   // fewer than three vertices or a non-finite corner
    bool hasIntensityRange = false;
    double intensityMin = 0.0;  // the legend's range: smallest positive length
    double intensityMax = 0.0;  // and largest finite length
    std::string legendMin;      // the labels printed at the legend's ends
    std::string legendMax;
    bool hasLegend = false;  // false for pictures too small to carry one
};

struct PreviewResult
{
    bool ok = false;
    std::string message;  // the failure, or a one-line summary of what was drawn
    PreviewStats stats;
};

// Draws a picture of `points` into rgb (resized to width * height * 3 bytes,
// rows top first).
//   points:   the geometry whose points are drawn; they need a position
//             attribute (type code 0 or 1) when there are any, and are
//             coloured by their first intensity attribute (code 4).
//   collider: optional triangle mesh drawn in grey (see collider_pass.h).
//   input:    optional original input of the cook; its point count N marks
//             points 0 .. N-1 of `points` as the input points, drawn as
//             framed squares, the others as discs.
// Fails, leaving rgb empty, for a size outside the limits or a geometry
// without a position attribute.
PreviewResult renderPreview(const GU_Detail &points, const GU_Detail *collider, const GU_Detail *input,
                            const PreviewOptions &options, std::vector<uint8_t> &rgb);

// Renders as above and writes the picture as a PNG file. The file appears
// complete or not at all: on any failure no file is created or changed.
PreviewResult writePreviewPng(const std::string &path, const GU_Detail &points, const GU_Detail *collider,
                              const GU_Detail *input, const PreviewOptions &options);
