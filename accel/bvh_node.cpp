#include "accel/bvh_node.h"

#include <cmath>

void setChildBoxes(BvhNode &node, const TriangleBox *boxes, int count)
{
    for (int i = 0; i < kNodeWidth; ++i)
        for (int c = 0; c < 3; ++c)
        {
            node.bounds[2 * c][i] = i < count ? boxes[i].lo[c] : INFINITY;
            node.bounds[2 * c + 1][i] = i < count ? boxes[i].hi[c] : -INFINITY;
            node.coneAxis[c][i] = 0;
        }
    for (int i = 0; i < kNodeWidth; ++i)
        node.coneLimit[i] = kNoConeLimit;
}
