// velkor_room_scene: writes the room scene as the two inputs of a cook.
//
//   velkor_room_scene FOLDER POINTS [TRIANGLES=100000]
//
// FOLDER/room_points.geo holds POINTS rays from the room's air (fixed seed),
// FOLDER/room_collider.geo the room of about TRIANGLES triangles.
#include "bench/room_geometry.h"

#include "io/geo/geo_writer.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{

bool parseCount(const char *text, long long lo, long long hi, long long &value)
{
    char *end = nullptr;
    value = std::strtoll(text, &end, 10);
    return end != text && *end == '\0' && value >= lo && value <= hi;
}

bool write(const std::string &path, const GU_Detail &gdp)
{
    const IoResult written = writeGeoFile(path, gdp);
    if (!written)
        std::fprintf(stderr, "velkor_room_scene: %s\n", written.message.c_str());
    return bool(written);
}

}  // namespace

int main(int argc, char **argv)
{
    long long points = 0, triangles = 100000;
    if (argc < 3 || argc > 4 || !parseCount(argv[2], 1, 100000000, points) ||
        (argc == 4 && !parseCount(argv[3], 1, 50000000, triangles)))
    {
        std::fprintf(stderr, "usage: velkor_room_scene FOLDER POINTS [TRIANGLES=100000]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const RoomScene scene = makeRoomScene(size_t(triangles));
    if (!write(folder + "/room_collider.geo", *roomColliderDetail(scene)) ||
        !write(folder + "/room_points.geo", *roomPointsDetail(makeRoomRays(scene, size_t(points)))))
        return 1;
    std::printf("room scene: %zu triangles, %lld points in %s\n", scene.triangles.size(), points, folder.c_str());
    return 0;
}
