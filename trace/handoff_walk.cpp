#include "trace/handoff_walk.h"

#include "math/scatter.h"
#include "trace/direction_stream.h"
#include "trace/trace_queue.h"
#include "trace/urgent_rays.h"
#include "trace/walk_steps.h"

#include <UT/UT_ParallelUtil.h>

#include <algorithm>
#include <atomic>

namespace
{

// Beyond this count a set spreads over threads in the sequential walk by
// itself.
constexpr int32_t kMostCount = 1024;
// A point's whole tree stays in the log until the walk is between points,
// so the trees walked this way are bounded: at most this many new points
// each.
constexpr double kMostTreePoints = 65536.0;
// Directions worked out ahead of the walk, at most.
constexpr size_t kStreamCapacity = 4096;
// Below this many directions ahead, helpers work out more before they turn
// to rays that can wait.
constexpr int64_t kStreamLow = 512;
// Directions a helper works out at a time, between looks at other work.
constexpr int64_t kStreamStep = 4;
// Waits for a helper's urgent trace before the walk traces its own copy.
constexpr int kPatience = 256;
// Slots in each ring to the helpers (one ray each in the urgent ring, up to
// kQueuedRaysMost in the background one).
constexpr size_t kQueueCapacity = 256;
// The log is appended between points once it holds this many entries: few
// growth steps of the detail, and little memory.
constexpr size_t kFlushAt = 4096;
static_assert((double(kFlushAt) + kMostTreePoints) * kMostCount < 2147483647.0, "ray numbers must fit 32 bits");

// Whether every value of the triple reads back as written: three floats in
// pages of their own kind, in three different attributes.
bool readsBackAsWritten(const AttributeTriple &t)
{
    for (const AttributeHandle *h : {&t.position, &t.direction, &t.intensity})
        if (!h->pageTable || !h->write)
            return false;
    return t.position.attribute != t.direction.attribute && t.position.attribute != t.intensity.attribute &&
           t.direction.attribute != t.intensity.attribute;
}

}  // namespace

struct HandOffWalk::State
{
    State(GU_Detail &g, const Collider &c, const WalkSettings &s, TraceControl &ctl)
        : gdp(g), collider(c), settings(s), control(ctl), urgent(c, kQueueCapacity),
          background(c, kQueueCapacity, TraceQueue::Waiting::Spin),
          stream(s.scatter, sceneRandomEngine, kStreamCapacity)
    {}

    // A new point of the walk, or a ray's possible one: the ray decides it
    // when it is back. Until then position and intensity are those of the
    // point the ray leaves.
    struct LogEntry
    {
        const AttributeTriple *triple;
        UT_Vector3 position;
        UT_Vector3 direction;  // the last one written
        UT_Vector3 intensity;
        // Ray numbers fit 32 bits: fewer than (kFlushAt + kMostTreePoints)
        // * kMostCount rays are numbered between two appends of the log.
        int32_t ray;           // the deciding ray; -1 once decided
        int32_t directionRay;  // the ray whose direction is the last one written, until it is back; else -1
        bool point;            // appended when the log is
    };

    // A point whose set is being followed.
    struct Frame
    {
        size_t entry;  // the point, in the log
        int32_t depth;
        int32_t scatterCount;
        UT_Vector3 position;
        UT_Vector3 intensity;
        int64_t firstRay;          // its rays are firstRay, firstRay + 1, ...
        int64_t firstSlot;         // rays 1, 2, ... in urgent slots from this one
        BounceResult firstResult;  // ray 0, traced by the walk itself
        int32_t count;
        int32_t next;
    };

    GU_Detail &gdp;
    const Collider &collider;
    const WalkSettings settings;
    TraceControl &control;

    const AttributeTriple *triple = nullptr;  // of the point being walked
    bool idsRenewed = false;                  // for the point being walked
    std::vector<Frame> stack;
    std::vector<LogEntry> log;
    size_t logPoints = 0;      // entries decided to be points
    size_t logUndecided = 0;   // entries waiting for their ray
    size_t undecidedFrom = 0;  // no entry before this one waits

    // Rays numbered from 0 since the log was last appended: their
    // directions and traces once collected. Rays the walk follows go
    // through `urgent`, where helpers take the oldest and the walk the one
    // it needs; the others through `background`, which helpers turn to
    // only when nothing urgent waits.
    std::vector<UT_Vector3> rayDirections;
    std::vector<BounceResult> results;
    std::vector<AxisRotation> childRotations;  // of urgent rays
    std::vector<UT_Vector3> caps;              // the set being drawn, on the cap around (0, 0, -1)
    std::vector<UT_Vector3> aligned;           // its directions, where the walk needs them itself
    UrgentRays urgent;
    TraceQueue background;
    DirectionStream stream;
    QueuedRays *gathered = nullptr;  // the background slot being filled, not yet published
    // Set by a helper that found nothing to trace, cleared when gathered
    // rays go out: only a hint, read and written without order.
    alignas(64) std::atomic<bool> helperIdle{false};

    int64_t numberedRays() const { return int64_t(rayDirections.size()); }

    // Takes back the slots that are done, in the order they were handed
    // out.
    void collect()
    {
        while (const UrgentRays::Ray *r = urgent.collectable())
        {
            keep(size_t(r->tag), *r);
            urgent.popCollected();
        }
        while (const QueuedRays *r = background.collectable())
        {
            for (int32_t k = 0; k < r->count; ++k)
            {
                const size_t ray = size_t(r->frame + r->rays[k]);
                results[ray] = r->results[k];
                rayDirections[ray] = r->directions[k];
            }
            background.popCollected();
        }
    }

    void keep(size_t ray, const UrgentRays::Ray &r)
    {
        results[ray] = r.result;
        rayDirections[ray] = r.direction;
        childRotations[ray] = r.childRotation;
    }

    // What a helper does until the walk returns: urgent rays first, also
    // between the rays of a background slot.
    void help(const std::atomic<bool> &stop)
    {
        int64_t idleAt = -1;
        // While an urgent ray's surface values are fetched, one direction
        // of the stream is worked out: arithmetic only, no memory waits.
        const std::function<void()> produceOne = [&]() { stream.produce(1); };
        const std::function<bool()> urgentFirst = [&]() { return urgent.traceOldest(idleAt, &produceOne); };
        for (int idle = 0; !stop.load(std::memory_order_relaxed);)
            if (urgent.traceOldest(idleAt, &produceOne) ||
                (stream.runningShort(kStreamLow) && stream.produce(kStreamStep)) ||
                background.traceSome(1, &urgentFirst) || stream.produce(kStreamStep))
                idle = 0;
            else
            {
                if (idle == 0)
                    helperIdle.store(true, std::memory_order_relaxed);
                waitForOtherThread(idle++);
            }
    }

    // The trace of ray `ray`, handed out in urgent slot `slot`, traced by
    // the walk itself when no helper has claimed it yet. Its direction is
    // then in rayDirections and its child's frame in childRotations.
    BounceResult traceOf(int64_t ray, int64_t slot)
    {
        for (int waits = 0; slot >= urgent.collected();)
        {
            if (const UrgentRays::Ray *r = urgent.tryAwait(slot))
            {
                keep(size_t(ray), *r);
                break;
            }
            // The helper that claimed it may not be running at all (its
            // core taken by other work): after about a trace's time, the
            // walk traces its own copy rather than wait for it.
            if (waits == kPatience)
            {
                keep(size_t(ray), urgent.traceCopy(slot));
                break;
            }
            waitForOtherThread(waits++);
        }
        return results[size_t(ray)];
    }

    // Numbers `count` more rays; gives the first one's number.
    int64_t number(size_t count)
    {
        const int64_t first = numberedRays();
        rayDirections.resize(rayDirections.size() + count);
        results.resize(rayDirections.size());
        childRotations.resize(rayDirections.size());
        return first;
    }

    // Numbers the rays of the set just drawn, count of them from one origin
    // in the frame `rotation`, and hands those from `from` on to the urgent
    // ring, to be given their directions by the tracer; gives the first
    // ray's number and the first slot's.
    void publishUrgent(const UT_Vector3 &origin, const AxisRotation &rotation, size_t count, size_t from,
                       bool childFrames, int64_t &firstRay, int64_t &firstSlot)
    {
        firstRay = number(count);
        firstSlot = urgent.collected() + int64_t(urgent.inFlight());
        for (size_t j = from; j < count; ++j)
        {
            if (urgent.inFlight() >= urgent.capacity())
            {
                urgent.await(urgent.collected());
                collect();
            }
            UrgentRays::Ray &r = urgent.next();
            r.tag = firstRay + int64_t(j);
            r.origin = origin;
            r.rotation = rotation;
            r.cap = caps[j];
            r.childFrame = childFrames;
            urgent.publish();
        }
    }

    // Gathers ray `ray`, from origin along `cap` carried into the frame of
    // a point with direction `frameDirection` (built by the tracer), for
    // the background ring: rays of many points go out together, a full slot
    // at a time.
    void gather(int64_t ray, const UT_Vector3 &origin, const UT_Vector3 &frameDirection, const UT_Vector3 &cap)
    {
        if (!gathered)
        {
            for (int idle = 0; background.inFlight() >= background.capacity();)
            {
                collect();
                if (background.inFlight() >= background.capacity() && !background.traceSome(1))
                    waitForOtherThread(idle++);
            }
            gathered = &background.next();
            gathered->frame = ray;
            gathered->count = 0;
            gathered->carry = true;
            gathered->perRay = true;
        }
        const int32_t k = gathered->count++;
        gathered->rays[k] = int32_t(ray - gathered->frame);
        gathered->origins[k] = origin;
        gathered->frameDirections[k] = frameDirection;
        gathered->directions[k] = cap;
        // A helper with nothing to do gets what is gathered at once.
        if (gathered->count == kQueuedRaysMost || helperIdle.load(std::memory_order_relaxed))
            publishGathered();
    }

    void publishGathered()
    {
        if (!gathered)
            return;
        if (helperIdle.load(std::memory_order_relaxed))
            helperIdle.store(false, std::memory_order_relaxed);
        background.publish();
        gathered = nullptr;
    }

    // Waits until every ray handed out is back, tracing what no helper has
    // claimed.
    void drain()
    {
        publishGathered();
        while (urgent.inFlight() > 0)
        {
            urgent.await(urgent.collected());
            collect();
        }
        for (int idle = 0; background.inFlight() > 0;)
        {
            collect();
            if (background.inFlight() > 0 && !background.traceSome(1))
                waitForOtherThread(idle++);
        }
    }

    BounceResult traceHere(const UT_Vector3 &origin, const UT_Vector3 &direction)
    {
        PendingBounce bounce;
        bounce.origin = origin;
        bounce.direction = direction;
        searchBounce(bounce, collider);
        return finishBounce(bounce, collider);
    }

    size_t pushPoint(const UT_Vector3 &position, const UT_Vector3 &direction, const UT_Vector3 &intensity)
    {
        log.push_back({triple, position, direction, intensity, -1, -1, true});
        ++logPoints;
        return log.size() - 1;
    }

    // Decides every entry still waiting for its ray: a point for a ray that
    // moved, with the values tracePoint gives it, nothing otherwise.
    void decideAll()
    {
        if (logUndecided == 0)
            return;
        drain();
        for (size_t i = undecidedFrom; i < log.size(); ++i)
        {
            LogEntry &e = log[i];
            if (e.directionRay >= 0)
            {
                e.direction = rayDirections[size_t(e.directionRay)];
                e.directionRay = -1;
            }
            if (e.ray < 0)
                continue;
            const BounceResult &hit = results[size_t(e.ray)];
            e.ray = -1;
            if (hit.empty())
                continue;
            const float d2 = travelledSquared(e.position, hit.position);
            if (!movedFar(d2))
                continue;
            e.position = hit.position;
            e.direction = hit.direction;
            e.intensity = attenuate(e.intensity, hit.surfaceIntensity, d2);
            e.point = true;
            ++logPoints;
        }
        logUndecided = 0;
        undecidedFrom = log.size();
    }

    // Whether the points in the detail and in the log, undecided ones
    // counted as points, and `more` points could pass the point limit.
    bool mayReachLimit(size_t more) const
    {
        return int64_t(gdp.getNumPoints()) + int64_t(logPoints + logUndecided + more) > control.pointLimit;
    }

    // Whether one more point stays within the limit; decides the log first
    // when it might not.
    bool roomForPoint()
    {
        if (!mayReachLimit(1))
            return true;
        decideAll();
        return int64_t(gdp.getNumPoints()) + int64_t(logPoints) < control.pointLimit;
    }

    // Reads the point of log entry `entry`, draws its set and hands it out.
    // Rays that decide later sets are followed by walkStack; the others
    // leave their possible points in the log at once. `frame`, when given,
    // is the point's frame, worked out by the helper that traced its ray.
    TraceStatus enter(size_t entry, int32_t depth, int32_t scatterCount, const AxisRotation *frame = nullptr)
    {
        if (depth <= 0 || scatterCount <= 0)
            return TraceStatus::Finished;  // nothing drawn, traced or written
        const UT_Vector3 position = log[entry].position;
        const UT_Vector3 intensity = log[entry].intensity;
        const UT_Vector3 direction = log[entry].direction;
        const size_t count = size_t(scatterCount);
        // The set is drawn now, as tracePoint draws it, mostly from
        // directions worked out ahead; the tracers carry them into place.
        caps.resize(count);
        stream.draw(scatterCount, caps.data());
        // One renewal of the collider's data ids stands for every ray the
        // point's walk traces, as in tracePoint.
        if (!idsRenewed)
        {
            renewDataIds(collider, count);
            idsRenewed = true;
        }
        if (!traceInChunks(control, count, [](size_t, size_t) {}))
            return TraceStatus::Interrupted;
        int64_t firstRay, firstSlot;
        const int32_t childCount = nextScatterCount(scatterCount, settings.dissipation);
        if (depth > 1 && childCount > 0)
        {
            // The walk follows ray 0 next: it traces that one itself, while
            // the helpers take the others, handed out first so that they
            // start at once: the walk needs ray 1 soon after ray 0.
            const AxisRotation rotation = frame ? *frame : frameFor(direction);
            // A child whose own rays all start nothing needs no frame from
            // the walk: the tracers of its rays build it.
            const bool childFrames = depth > 2 && nextScatterCount(childCount, settings.dissipation) > 0;
            publishUrgent(position, rotation, count, 1, childFrames, firstRay, firstSlot);
            PendingBounce first;
            first.origin = position;
            first.direction = applyRotation(rotation, caps[0]);
            searchBounce(first, collider);
            // Its surface values are on their way: take back what the
            // helpers have finished meanwhile.
            collect();
            rayDirections[size_t(firstRay)] = first.direction;
            stack.push_back({entry, depth, scatterCount, position, intensity, firstRay, firstSlot,
                             finishBounce(first, collider), int32_t(count), 0});
            return TraceStatus::Finished;
        }
        if (!mayReachLimit(count))
        {
            firstRay = number(count);
            for (size_t k = 0; k < count; ++k)
                gather(firstRay + int64_t(k), position, direction, caps[k]);
            for (size_t k = 0; k < count; ++k)
                log.push_back({triple, position, UT_Vector3(0.0f, 0.0f, 0.0f), intensity,
                               int32_t(firstRay + int64_t(k)), -1, false});
            logUndecided += count;
            // Each direction of the set overwrites the point's in turn.
            log[entry].directionRay = int32_t(firstRay + int64_t(count) - 1);
            return TraceStatus::Finished;
        }
        // Near the limit each ray is traced and decided in turn, so that the
        // walk stops at the ray tracePoint stops at.
        decideAll();
        const AxisRotation rotation = frame ? *frame : frameFor(direction);
        aligned.resize(count);
        for (size_t k = 0; k < count; ++k)
            aligned[k] = applyRotation(rotation, caps[k]);
        for (size_t k = 0; k < count; ++k)
        {
            log[entry].direction = aligned[k];
            const BounceResult hit = traceHere(position, aligned[k]);
            if (hit.empty())
                continue;
            const float d2 = travelledSquared(position, hit.position);
            if (!movedFar(d2))
                continue;
            if (!roomForPoint())
                return TraceStatus::PointLimit;
            pushPoint(hit.position, hit.direction, attenuate(intensity, hit.surfaceIntensity, d2));
        }
        return TraceStatus::Finished;
    }

    // Follows the frames on the stack, depth-first, until none is left.
    TraceStatus walkStack()
    {
        while (!stack.empty())
        {
            Frame &frame = stack.back();
            if (frame.next == frame.count)
            {
                stack.pop_back();
                continue;
            }
            const int32_t i = frame.next++;
            const int64_t ray = frame.firstRay + i;
            const BounceResult hit = i == 0 ? frame.firstResult : traceOf(ray, frame.firstSlot + (i - 1));
            // Each direction of the set overwrites the point's in turn.
            log[frame.entry].direction = rayDirections[size_t(ray)];
            if (hit.empty())
                continue;
            const float d2 = travelledSquared(frame.position, hit.position);
            if (!movedFar(d2))
                continue;
            if (!roomForPoint())
                return TraceStatus::PointLimit;
            const size_t child =
                pushPoint(hit.position, hit.direction, attenuate(frame.intensity, hit.surfaceIntensity, d2));
            const int32_t childDepth = frame.depth - 1;
            const int32_t childCount = nextScatterCount(frame.scatterCount, settings.dissipation);
            if (frame.next == frame.count)
                stack.pop_back();
            // `frame` may dangle from here on.
            const AxisRotation childFrame = childRotations[size_t(ray)];
            const bool haveFrame = i > 0 && childDepth > 1 && nextScatterCount(childCount, settings.dissipation) > 0;
            const TraceStatus status = enter(child, childDepth, childCount, haveFrame ? &childFrame : nullptr);
            if (status != TraceStatus::Finished)
                return status;
        }
        return TraceStatus::Finished;
    }

    TraceStatus walk(const AttributeTriple &t, GA_Offset offset, const PrimaryTrace &primary)
    {
        if (log.size() >= kFlushAt)
            flush();
        if (settings.depth <= 0)
            return TraceStatus::Finished;
        triple = &t;
        idsRenewed = false;
        // The primary ray, traced ahead, followed as tracePoint follows it.
        const UT_Vector3 position = readVector(t.position, offset);
        const UT_Vector3 intensity = readVector(t.intensity, offset);
        writeVector(t.direction, offset, primary.direction);
        const BounceResult &hit = primary.result;
        if (hit.empty())
            return TraceStatus::Finished;
        const float d2 = travelledSquared(position, hit.position);
        if (!movedFar(d2))
            return TraceStatus::Finished;
        if (!roomForPoint())
            return TraceStatus::PointLimit;
        const size_t child = pushPoint(hit.position, hit.direction, attenuate(intensity, hit.surfaceIntensity, d2));
        TraceStatus status =
            enter(child, settings.depth - 1, nextScatterCount(settings.scatterCount, settings.dissipation));
        if (status == TraceStatus::Finished)
            status = walkStack();
        return status;
    }

    void flush()
    {
        // Rays still out (a stop leaves some) are taken back before the
        // numbering starts again.
        drain();
        decideAll();
        stack.clear();
        const size_t points = logPoints;
        std::vector<LogEntry> entries;
        entries.swap(log);
        logPoints = 0;
        undecidedFrom = 0;
        rayDirections.clear();
        results.clear();
        childRotations.clear();
        if (points == 0)
            return;
        GA_Offset next = gdp.getPointMap().addElementBlock(GA_Size(points));
        for (const LogEntry &e : entries)
        {
            if (!e.point)
                continue;
            writeVector(e.triple->position, next, e.position);
            writeVector(e.triple->direction, next, e.direction);
            writeVector(e.triple->intensity, next, e.intensity);
            ++next;
        }
        // The log's memory is kept for the next points.
        entries.clear();
        entries.swap(log);
    }
};

HandOffWalk::HandOffWalk(GU_Detail &gdp, const Collider &collider, const WalkSettings &settings, TraceControl &control)
    : myState(new State(gdp, collider, settings, control))
{}

HandOffWalk::~HandOffWalk() = default;

bool HandOffWalk::suitable(const std::vector<AttributeTriple> &triples, const WalkSettings &settings)
{
    if (settings.depth < 2 || settings.scatterCount < 1 || settings.scatterCount > kMostCount)
        return false;
    // The most points one tree can make: a generation's points times the
    // next count, generation after generation.
    double treePoints = 0.0;
    double generation = 1.0;
    int32_t count = settings.scatterCount;
    for (int32_t g = 1; g <= settings.depth && generation > 0.0; ++g)
    {
        treePoints += generation;
        if (treePoints > kMostTreePoints)
            return false;
        count = nextScatterCount(count, settings.dissipation);
        generation *= double(std::max(count, 0));
    }
    return std::all_of(triples.begin(), triples.end(), readsBackAsWritten);
}

TraceStatus HandOffWalk::tracePoint(const AttributeTriple &triple, GA_Offset offset, const PrimaryTrace &primary)
{
    return myState->walk(triple, offset, primary);
}

void HandOffWalk::flush() { myState->flush(); }

void HandOffWalk::run(const std::function<void()> &walk)
{
    State &s = *myState;
    try
    {
        UTrunWithHelpers(
            UTgetMaxThreads() - 1, [&](const std::atomic<bool> &stop) { s.help(stop); },
            [&]() {
                walk();
                s.flush();
            });
    }
    catch (...)
    {
        // Every point made before the failure is appended, as tracePoint
        // leaves them; a failure while appending is not the one to report.
        try
        {
            s.flush();
        }
        catch (...)
        {}
        throw;
    }
}
