// Prints, for each document given, what the freezes were forecast to make of
// its objects against what they made, and the bytes forecast for the biggest
// step against the growth of the process's peak memory. One document a run,
// so that the peak is that document's.
#include <sys/resource.h>

#include <cstdio>
#include <memory>

#include "process/freeze_catmull.h"
#include "process/freeze_mirror.h"
#include "process/subdiv_mesh.h"
#include "reader/mqo_loader.h"

namespace {

struct Tally {
    int64_t forecast_vertices = 0, vertices = 0, forecast_faces = 0, faces = 0;
    int mismatches = 0;
    uint64_t peak_bytes = 0;  // the largest single forecast

    void Add(const MemoryForecast& forecast, const MQOObject& object) {
        forecast_vertices += forecast.vertices;
        forecast_faces += forecast.faces;
        vertices += object.VertexCount();
        faces += object.FaceCount();
        if (forecast.vertices != object.VertexCount() || forecast.faces != object.FaceCount()) {
            ++mismatches;
        }
        if (forecast.bytes > peak_bytes) peak_bytes = forecast.bytes;
    }
};

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: forecast_check DOCUMENT\n");
        return 2;
    }
    MQOLoader loader;
    if (loader.Load(argv[1]) != 1) return 1;
    MQOModel& model = *loader.GetModel();
    const long before = PeakKilobytes();
    Tally mirror, catmull;
    for (int i = 0; i < model.ObjectCount(); ++i) {
        MQOObject& object = *model.ObjectAt(i);
        const MemoryForecast m = ForecastMirror(object);
        FreezeMirror(object);
        mirror.Add(m, object);
        if (!IsCatmullSurface(object)) continue;
        const MemoryForecast c = ForecastCatmull(*BuildSubdivMesh(&object), object.segment);
        FreezeCatmull(object);
        catmull.Add(c, object);
    }
    const long grown = PeakKilobytes() - before;
    std::printf(
        "%s\tmirror %lld/%lld v %lld/%lld f %d off\tcatmull %lld/%lld v %lld/%lld f %d off"
        "\tlargest forecast %llu KB, peak grew %ld KB\n",
        argv[1], (long long)mirror.forecast_vertices, (long long)mirror.vertices,
        (long long)mirror.forecast_faces, (long long)mirror.faces, mirror.mismatches,
        (long long)catmull.forecast_vertices, (long long)catmull.vertices,
        (long long)catmull.forecast_faces, (long long)catmull.faces, catmull.mismatches,
        (unsigned long long)((mirror.peak_bytes > catmull.peak_bytes ? mirror.peak_bytes
                                                                     : catmull.peak_bytes) /
                             1024),
        grown);
    return mirror.mismatches + catmull.mismatches == 0 ? 0 : 1;
}
