#include "accel/bvh_node.h"

#include <algorithm>
#include <cmath>

namespace
{

// The float at or above the non-negative x.
float floatAbove(double x)
{
    const float f = static_cast<float>(x);
    return double(f) < x ? std::nextafter(f, INFINITY) : f;
}

}  // namespace

void encodeChildBoxes(BvhNode &node, const TriangleBox *boxes, int count)
{
    float nodeLo[3] = {INFINITY, INFINITY, INFINITY};
    float nodeHi[3] = {-INFINITY, -INFINITY, -INFINITY};
    for (int i = 0; i < count; ++i)
        for (int c = 0; c < 3; ++c)
        {
            nodeLo[c] = std::min(nodeLo[c], boxes[i].lo[c]);
            nodeHi[c] = std::max(nodeHi[c], boxes[i].hi[c]);
        }
    for (int c = 0; c < 3; ++c)
    {
        node.origin[c] = nodeLo[c];
        node.scale[c] = floatAbove((double(nodeHi[c]) - nodeLo[c]) / 255.0);
        node.q[2 * c][0] = node.q[2 * c + 1][0] = 255;
        while (decodePlane(node, 2 * c + 1, 0) < nodeHi[c])
            node.scale[c] = std::nextafter(node.scale[c], INFINITY);
        for (int i = 0; i < 4; ++i)
        {
            uint8_t &qLo = node.q[2 * c][i];
            uint8_t &qHi = node.q[2 * c + 1][i];
            if (i >= count)
            {
                qLo = 255;  // an inside-out box; the child is kEmptyChild anyway
                qHi = 0;
                continue;
            }
            const double steps = node.scale[c] > 0.0f ? 1.0 / node.scale[c] : 0.0;
            qLo =
                uint8_t(std::min(255.0, std::floor((double(boxes[i].lo[c]) - nodeLo[c]) * steps)));
            while (qLo > 0 && decodePlane(node, 2 * c, i) > boxes[i].lo[c])
                --qLo;
            qHi = uint8_t(std::min(
                255.0, std::max(0.0, std::ceil((double(boxes[i].hi[c]) - nodeLo[c]) * steps))));
            while (decodePlane(node, 2 * c + 1, i) < boxes[i].hi[c])
                ++qHi;  // stops at 255 at the latest, which decodes at or above nodeHi
        }
    }
}
