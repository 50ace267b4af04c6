// Corners of a polygon bucketed by place in its plane, so that a question
// about a small region looks only at the corners near it.
//
// Ear clipping asks, for every ear it tries, whether a corner that turns
// against the polygon lies inside it. Asking every such corner costs the
// square of their number on a polygon of many corners; a grid of about as
// many cells as corners makes each question cost about the number of
// corners near the ear. Corners that no longer matter are dropped as they
// are met, and a region over more cells than there are corners left is
// answered from the plain list instead.
#pragma once

#include <cstddef>
#include <vector>

struct CornerPlace
{
    size_t corner;
    double x, y;
};

class CornerGrid
{
public:
    explicit CornerGrid(const std::vector<CornerPlace> &places);

    // Fills out with the corners c listed in a cell that meets the box
    // [x0, x1] x [y0, y1] for which live[c] holds, and drops for good the
    // ones met for which it does not. out may hold corners outside the box.
    void gather(double x0, double y0, double x1, double y1, const std::vector<bool> &live, std::vector<size_t> &out);

private:
    size_t cell(double v, double lo, double hi) const;

    double myMinX = 0, myMaxX = 0, myMinY = 0, myMaxY = 0;
    size_t mySide = 0;
    std::vector<std::vector<size_t>> myCells;
    std::vector<size_t> myAll;
};
