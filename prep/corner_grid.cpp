#include "prep/corner_grid.h"

#include <algorithm>
#include <cmath>

namespace
{
// Appends the live corners of list to out, dropping the others from list.
void collect(std::vector<size_t> &list, const std::vector<bool> &live, std::vector<size_t> &out)
{
    for (size_t k = 0; k < list.size();)
    {
        if (!live[list[k]])
        {
            list[k] = list.back();
            list.pop_back();
            continue;
        }
        out.push_back(list[k]);
        ++k;
    }
}
}  // namespace

CornerGrid::CornerGrid(const std::vector<CornerPlace> &places)
{
    if (places.empty())
        return;
    myMinX = myMaxX = places[0].x;
    myMinY = myMaxY = places[0].y;
    for (const CornerPlace &p : places)
    {
        myMinX = std::min(myMinX, p.x), myMaxX = std::max(myMaxX, p.x);
        myMinY = std::min(myMinY, p.y), myMaxY = std::max(myMaxY, p.y);
    }
    mySide = size_t(std::ceil(std::sqrt(double(places.size()))));
    myCells.resize(mySide * mySide);
    for (const CornerPlace &p : places)
    {
        myCells[cell(p.y, myMinY, myMaxY) * mySide + cell(p.x, myMinX, myMaxX)].push_back(p.corner);
        myAll.push_back(p.corner);
    }
}

void CornerGrid::gather(double x0, double y0, double x1, double y1, const std::vector<bool> &live,
                        std::vector<size_t> &out)
{
    out.clear();
    if (myCells.empty() || x1 < myMinX || x0 > myMaxX || y1 < myMinY || y0 > myMaxY)
        return;
    const size_t cx0 = cell(x0, myMinX, myMaxX), cx1 = cell(x1, myMinX, myMaxX);
    const size_t cy0 = cell(y0, myMinY, myMaxY), cy1 = cell(y1, myMinY, myMaxY);
    if ((cx1 - cx0 + 1) * (cy1 - cy0 + 1) > myAll.size())
    {
        collect(myAll, live, out);
        return;
    }
    for (size_t cy = cy0; cy <= cy1; ++cy)
        for (size_t cx = cx0; cx <= cx1; ++cx)
            collect(myCells[cy * mySide + cx], live, out);
}

size_t CornerGrid::cell(double v, double lo, double hi) const
{
    if (!(hi > lo) || !(v > lo))
        return 0;
    return std::min(mySide - 1, size_t((v - lo) / (hi - lo) * double(mySide)));
}
