// SetMQOModel on generated grids of quads whose corners all carry distinct
// texture coordinates and whose vertices all carry colours, in one material:
// the case where matching coordinates by search would cost time quadratic in
// the corners. Prints triangles per second and time per corner; a flat time
// per corner shows linear cost.
//
//     bench_builder [repetitions]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "builder/scene_builder.h"
#include "model/mqo_model.h"
#include "shell/host/max.h"

// A side x side grid of vertices, (side - 1)^2 quads.
static std::unique_ptr<MQOModel> GridModel(int side) {
    auto model = std::make_unique<MQOModel>();
    model->AddMaterial()->AssignName("grid");
    MQOObject* object = model->AddObject();
    object->AssignName("grid");
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            object->AddVertex(Point3f(float(x), 0.01f * float((x * y) % 7), float(y)));
            MQOVertexColor* color = object->AddVertexColor();
            color->vertex = y * side + x;
            for (int i = 0; i < 4; ++i) color->rgba[i] = uint8_t(x + y + i);
        }
    }
    int corner = 0;
    for (int y = 0; y + 1 < side; ++y) {
        for (int x = 0; x + 1 < side; ++x) {
            MQOFace* face = object->AddFace();
            face->count = 4;
            face->material = 0;
            face->has_uv = 1;
            const int v[4] = {y * side + x, y * side + x + 1, (y + 1) * side + x + 1,
                              (y + 1) * side + x};
            for (int c = 0; c < 4; ++c, ++corner) {
                face->v[c] = v[c];
                face->uv[c] = Point2f(float(corner) * 1e-6f, float(corner % 1024) / 1024.0f);
            }
        }
    }
    return model;
}

// Best time of the repetitions, in seconds.
static double TimeImport(int side, int repetitions) {
    double best = 1e30;
    for (int r = 0; r < repetitions; ++r) {
        std::unique_ptr<MQOModel> model = GridModel(side);
        HostScene host;
        const ImportOptions options{1, 1, 1, 1, 0};
        const auto start = std::chrono::steady_clock::now();
        SetMQOModel(BuildSettings{options, ""}, *model, host.GetImpInterface(),
                    host.GetInterface());
        const auto end = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double>(end - start).count());
    }
    return best;
}

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    // Sides for about 10k, 100k, 1M and 2M corners (the last 1M triangles).
    const int sides[] = {51, 159, 501, 709};
    std::printf("%10s %10s %12s %14s %12s\n", "corners", "triangles", "seconds", "triangles/s",
                "ns/corner");
    for (const int side : sides) {
        const long long quads = (long long)(side - 1) * (side - 1);
        const long long corners = quads * 4;
        const long long triangles = quads * 2;
        const double seconds = TimeImport(side, repetitions);
        std::printf("%10lld %10lld %12.4f %14.0f %12.1f\n", corners, triangles, seconds,
                    double(triangles) / seconds, seconds * 1e9 / double(corners));
    }
    return 0;
}
