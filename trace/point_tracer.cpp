#include "trace/point_tracer.h"

#include "accel/ray_order.h"
#include "math/scatter.h"
#include "math/vector_math.h"
#include "trace/frame_lanes.h"
#include "trace/leaf_follow.h"
#include "trace/out_of_memory.h"
#include "trace/point_appends.h"
#include "trace/ray_batch.h"
#include "trace/walk_steps.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace
{

// The directions a point shoots: its single primary ray (the first
// generation) or a random set in the cap around its reversed direction.
enum class DirectionSet
{
    Primary,
    Scatter
};

BatchThreads batchThreads(const TraceControl &control)
{
    return control.parallel ? BatchThreads::Parallel : BatchThreads::Calling;
}

// One point being walked. Its directions and their traces live in the walk's
// pools at [first, end): frames form a stack, so the pools do too, and a
// frame's share is released by truncating them when it is popped. The walk
// therefore allocates nothing per frame once the pools have grown to the
// deepest path's needs.
struct Frame
{
    GA_Offset offset;
    int32_t depth;
    int32_t scatterCount;
    UT_Vector3 position;
    UT_Vector3 intensity;
    size_t first;
    size_t end;
    size_t next;
};

class Walk
{
public:
    Walk(PointAppends &appends, const AttributeTriple &triple, const Collider &collider, double scatter,
         float dissipation, TraceControl &control)
        : myAppends(appends), myTriple(triple), myPosition(triple.position), myDirection(triple.direction),
          myIntensity(triple.intensity), myCollider(collider), myScatter(scatter), myDissipation(dissipation),
          myControl(control)
    {}
    ~Walk()
    {
        if (!myPools)
            return;
        clear();
        myPools->busy = false;
    }
    Walk(const Walk &) = delete;
    Walk &operator=(const Walk &) = delete;

    TraceStatus run(GA_Offset offset, int32_t depth, int32_t scatterCount, const PrimaryTrace *primaryTrace)
    {
        if (depth <= 0)
            return TraceStatus::Finished;
        if (primaryTrace)
        {
            // The primary ray is already traced: it is followed at once,
            // without a frame, and the walk goes on from its new point.
            const UT_Vector3 position = readVector(myPosition, offset);
            const UT_Vector3 intensity = readVector(myIntensity, offset);
            GA_Offset child;
            const TraceStatus status =
                follow(offset, position, intensity, primaryTrace->direction, primaryTrace->result, depth == 1, child);
            if (status != TraceStatus::Finished || child == GA_INVALID_OFFSET || depth == 1)
                return status;
            if (!enter(child, depth - 1, nextScatterCount(scatterCount, myDissipation), DirectionSet::Scatter))
                return TraceStatus::Interrupted;
        }
        else if (!enter(offset, depth, scatterCount, DirectionSet::Primary))
            return TraceStatus::Interrupted;
        return walkStack();
    }

private:
    // A scatter set of count rays needs, all at once, the drawn directions,
    // the aligned ones and a trace result per ray.
    static OutOfMemory scatterSetTooLarge(int32_t count)
    {
        const uint64_t n = uint64_t(count);
        return outOfMemoryFor(n, "scatter directions", n * (2 * sizeof(UT_Vector3) + sizeof(PendingBounce)));
    }

    // Follows one traced ray of the point (followTracedRay): each ray of a
    // set overwrites the point's direction in turn, so the last one traced
    // stays.
    TraceStatus follow(GA_Offset offset, const UT_Vector3 &position, const UT_Vector3 &intensity,
                       const UT_Vector3 &rayDirection, const BounceResult &hit, bool leaf, GA_Offset &child)
    {
        return followTracedRay(myAppends, myTriple, myControl.pointLimit, offset, position, intensity, rayDirection,
                               hit, leaf, child);
    }

    // follow for a ray of a direction set, searched but not yet finished:
    // the same steps, with the trace finished only for a point the walk
    // reads back. A leaf is held unfinished, and its surface values are read
    // when it is appended.
    TraceStatus followSearched(GA_Offset offset, const UT_Vector3 &position, const UT_Vector3 &intensity,
                               const PendingBounce &bounce, bool leaf, GA_Offset &child)
    {
        child = GA_INVALID_OFFSET;
        writeVector(myDirection, offset, bounce.direction);
        if (!myCollider.usable())
            return TraceStatus::Finished;  // an empty trace
        // The trace's position: the hit, or the origin when nothing was hit,
        // which never counts as moving.
        const float d2 = travelledSquared(position, bounce.found ? bounce.hit.hit.point : bounce.origin);
        if (!movedFar(d2))
            return TraceStatus::Finished;
        if (myAppends.points() >= myControl.pointLimit)
            return TraceStatus::PointLimit;
        if (leaf)
        {
            child = myAppends.points();
            myAppends.holdUnfinished(myTriple, myCollider, bounce, intensity, d2);
            return TraceStatus::Finished;
        }
        const BounceResult hit = finishBounce(bounce, myCollider);
        child =
            myAppends.appendNow(myTriple, hit.position, hit.direction, attenuate(intensity, hit.surfaceIntensity, d2));
        return TraceStatus::Finished;
    }

    // Walks the frames on the stack, depth-first, until none is left.
    TraceStatus walkStack()
    {
        while (!myStack->empty())
        {
            Frame &frame = myStack->back();
            if (frame.next == frame.end)
            {
                pop();
                continue;
            }
            const size_t i = frame.next++;
            const int32_t childDepth = frame.depth - 1;
            GA_Offset q;
            const TraceStatus status =
                followSearched(frame.offset, frame.position, frame.intensity, (*mySearched)[i], childDepth <= 0, q);
            if (status != TraceStatus::Finished)
                return status;
            if (q == GA_INVALID_OFFSET)
                continue;

            const int32_t childCount = nextScatterCount(frame.scatterCount, myDissipation);
            // A frame with no directions left has nothing more to do after
            // this child: drop it now, so that a long chain of generations
            // holds one frame instead of one per generation. The pools may
            // be overwritten from here on.
            if (frame.next == frame.end)
                pop();
            // `frame` may dangle from here on.
            if (!enter(q, childDepth, childCount, DirectionSet::Scatter))
                return TraceStatus::Interrupted;
        }
        return TraceStatus::Finished;
    }

    void clear()
    {
        myStack->clear();
        myInUse = 0;
    }

    void pop()
    {
        myInUse = myStack->back().first;
        myStack->pop_back();
    }

    // Reads the point, draws its direction set and traces it; pushes the
    // frame unless the depth is used up. Returns false when interrupted.
    bool enter(GA_Offset offset, int32_t depth, int32_t scatterCount, DirectionSet set)
    {
        if (depth <= 0)
            return true;
        if (!myPools)
            acquirePools();
        const bool primary = set == DirectionSet::Primary;
        Frame frame;
        frame.offset = offset;
        frame.depth = depth;
        frame.scatterCount = scatterCount;
        frame.position = readVector(myPosition, offset);
        const UT_Vector3 direction = readVector(myDirection, offset);
        frame.intensity = readVector(myIntensity, offset);

        const AxisRotation rotation = frameFor(direction);
        const size_t count = primary ? 1 : size_t(std::max(scatterCount, 0));
        frame.first = myInUse;
        frame.end = frame.first + count;
        frame.next = frame.first;
        // The pools only grow: slots past the frames in use are kept, so a
        // frame takes its share without a fresh initialisation of it.
        if (myAligned->size() < frame.end)
        {
            try
            {
                myAligned->resize(frame.end);
                mySearched->resize(frame.end);
            }
            catch (const std::bad_alloc &)
            {
                throw scatterSetTooLarge(int32_t(count));
            }
        }
        UT_Vector3 *aligned = myAligned->data() + frame.first;
        PendingBounce *searched = mySearched->data() + frame.first;
        if (primary)
            aligned[0] = UT_Vector3(0.0f, 0.0f, 1.0f);
        else
            scatterDirectionsInto(scatterCount, myScatter, aligned);
        for (size_t k = 0; k < count; ++k)
            aligned[k] = applyRotation(rotation, aligned[k]);

        // One renewal of the collider's data ids stands for every ray the
        // walk traces (see renewDataIds).
        if (!myIdsRenewed && count > 0)
        {
            renewDataIds(myCollider, count);
            myIdsRenewed = true;
        }
        const bool finished = traceInChunks(myControl, count, [&](size_t begin, size_t n) {
            searchRayBatch(myCollider, &frame.position, RayOrigins::Shared, aligned + begin, n, searched + begin,
                           batchThreads(myControl));
        });
        if (!finished)
            return false;
        myStack->push_back(frame);
        myInUse = frame.end;
        return true;
    }

    PointAppends &myAppends;
    const AttributeTriple &myTriple;
    const AttributeHandle &myPosition;
    const AttributeHandle &myDirection;
    const AttributeHandle &myIntensity;
    const Collider &myCollider;
    double myScatter;
    float myDissipation;
    TraceControl &myControl;

    // The pools outlive the walk on each thread, so that a cook of a
    // million points does not allocate them a million times; a walk takes
    // them when it first pushes a frame (a walk whose rays all end at once
    // needs none), starts with no slot of them in use and leaves none in
    // use (their memory is kept). A walk started while another runs on the same
    // thread (from within an interrupt callback) gets pools of its own.
    struct Pools
    {
        std::vector<Frame> stack;
        std::vector<UT_Vector3> aligned;      // directions of every frame on the stack, and spare slots
        std::vector<PendingBounce> searched;  // and their searches
        bool busy = false;
    };
    void acquirePools()
    {
        thread_local Pools shared;
        if (shared.busy)
        {
            myOwnPools.reset(new Pools);
            myPools = myOwnPools.get();
        }
        else
            myPools = &shared;
        myPools->busy = true;
        myStack = &myPools->stack;
        myAligned = &myPools->aligned;
        mySearched = &myPools->searched;
        clear();
    }
    std::unique_ptr<Pools> myOwnPools;
    Pools *myPools = nullptr;
    std::vector<Frame> *myStack = nullptr;
    std::vector<UT_Vector3> *myAligned = nullptr;
    std::vector<PendingBounce> *mySearched = nullptr;
    // Pool slots [0, myInUse) belong to the frames on the stack.
    size_t myInUse = 0;
    bool myIdsRenewed = false;
};

}  // namespace

int32_t nextScatterCount(int32_t count, float dissipation)
{
    const float product = float(count) * dissipation;
    // Checked before converting: converting NaN or an out-of-range float to
    // an integer is undefined.
    if (!(product >= -2147483648.0f && product < 2147483648.0f))
        return INT32_MIN;
    return int32_t(product);
}

UT_Vector3 primaryDirection(const UT_Vector3 &direction)
{
    return applyRotation(frameFor(direction), UT_Vector3(0.0f, 0.0f, 1.0f));
}

void primaryDirections(const UT_Vector3 *stored, size_t count, UT_Vector3 *out)
{
    constexpr size_t kStep = 64;
    FrameParts parts[kStep];
    float angles[kStep];
    for (size_t first = 0; first < count; first += kStep)
    {
        const size_t n = std::min(kStep, count - first);
        framePartsOf(stored + first, n, parts);
        for (size_t i = 0; i < n; ++i)
            angles[i] = acosFloat(parts[i].cosine);
        for (size_t i = 0; i < n; ++i)
            out[first + i] = applyRotation(frameFrom(parts[i], angles[i]), UT_Vector3(0.0f, 0.0f, 1.0f));
    }
}

TraceStatus tracePoint(PointAppends &appends, GA_Offset offset, const AttributeTriple &triple, const Collider &collider,
                       const WalkSettings &settings, TraceControl &control, const PrimaryTrace *primaryTrace)
{
    Walk walk(appends, triple, collider, settings.scatter, settings.dissipation, control);
    return walk.run(offset, settings.depth, settings.scatterCount, primaryTrace);
}

TraceStatus tracePoint(GU_Detail &gdp, GA_Offset offset, const AttributeTriple &triple, const Collider &collider,
                       const WalkSettings &settings, TraceControl &control, const PrimaryTrace *primaryTrace)
{
    PointAppends appends(gdp);
    TraceStatus status;
    try
    {
        status = tracePoint(appends, offset, triple, collider, settings, control, primaryTrace);
    }
    catch (...)
    {
        // Every point made before the failure is appended, as if each had
        // been appended when it was made.
        appends.flushQuietly();
        throw;
    }
    appends.flush();
    return status;
}

bool tracePrimaryRays(GA_Offset begin, GA_Offset end, const AttributeHandle &position, const AttributeHandle &direction,
                      const Collider &collider, TraceControl &control, PrimaryTrace *results)
{
    const size_t count = end > begin ? size_t(end - begin) : 0;
    std::vector<UT_Vector3> origins(count);
    std::vector<UT_Vector3> directions(count);
    std::vector<BounceResult> traced(count);
    for (size_t i = 0; i < count; ++i)
    {
        const GA_Offset p = begin + GA_Offset(i);
        origins[i] = readVector(position, p);
        directions[i] = readVector(direction, p);
    }
    primaryDirections(directions.data(), count, directions.data());
    // Rays are searched in a coherent order, so that neighbours in it find
    // nodes and triangles still in the cache; each trace goes back to its
    // point's slot.
    std::vector<uint32_t> order;
    coherentRayOrder(origins.data(), 1, directions.data(), count, order);
    permute(origins, order);
    permute(directions, order);
    const bool finished = traceInChunks(control, count, [&](size_t first, size_t n) {
        traceRayBatch(collider, origins.data() + first, RayOrigins::PerRay, directions.data() + first, n,
                      traced.data() + first, batchThreads(control));
    });
    for (size_t j = 0; finished && j < count; ++j)
        results[order[j]] = {directions[j], traced[j]};
    return finished;
}
