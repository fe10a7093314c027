#include "builder/scene_budget.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "builder/face_rules.h"
#include "builder/host_text.h"
#include "builder/material_builder.h"
#include "host/max.h"
#include "model/mqo_model.h"

namespace {

// The host's smoothing by angle, per triangle: its normal, its patch link,
// its listings by vertex and, on a typical mesh, its share of the sharp
// edges and patch neighbours with their lists' slack; and one list entry per
// vertex. Measured on subdivided grids and the corpus, rounded up.
constexpr uint64_t kSmoothingBytesPerTriangle = 72;
constexpr uint64_t kSmoothingBytesPerVertex = 4;

// Shared texture coordinates: per corner its keyed record, at most four
// hash slots of its bucket's table and its share of the bucket offsets (a
// bucket holds about 4096 corners; two offsets each); per face its corners'
// bucket numbers.
constexpr uint64_t kSharedUVBytesPerCorner = 16 + 4 * sizeof(int32_t) + 1;
constexpr uint64_t kSharedUVBytesPerFace = 4 * sizeof(uint16_t);
constexpr uint64_t kSharedUVFixedBytes = 64;

// One entry per vertex of the colour table: a flag and four bytes.
constexpr uint64_t kColourEntryBytes = sizeof(bool) + 4;

// A text the host keeps as its own string: longer ones leave the string's
// inner room for the heap.
uint64_t TextBytes(const char* text) {
    const size_t length = std::strlen(text);
    return length < 16 ? 0 : AllocatedBytes(length + 1);
}

// A host material or map, with its place in the host's list.
template <typename M>
uint64_t MaterialRecordBytes(const char* name) {
    return AllocatedBytes(sizeof(M)) + sizeof(void*) + TextBytes(name);
}

// The standard material of one document material and its maps.
uint64_t MaterialBytes(const MQOModel& model, const MQOMaterial& m) {
    std::string converted;
    uint64_t bytes = MaterialRecordBytes<StdMat2>(HostText(model.code_page, m.name, converted));
    for (const char* map : {m.tex, m.bump, m.alpha}) {
        // The map name is completed with the directory, at most 1024 bytes.
        if (map[0] != '\0') bytes += MaterialRecordBytes<BitmapTex>(map) + AllocatedBytes(1024);
    }
    return bytes;
}

bool IsConverted(const MQOObject& object) {
    return object.VertexCount() > 0 && object.FaceCount() > 0;
}

// The slots, their material id maps and the host materials: made before the
// first object and held to the end. Without "use material only" every
// material is made, into one multi-material, and every slot maps them all;
// with it, at most every material is made, and each object of several gets
// a multi-material of those its faces use.
uint64_t MaterialsBytes(const BuildSettings& settings, const MQOModel& model) {
    const uint64_t objects = uint64_t(model.ObjectCount());
    const uint64_t materials = uint64_t(model.MaterialCount());
    uint64_t bytes = objects * sizeof(ObjectMaterialSlot);
    if (materials == 0) return bytes;
    for (const auto& material : model.materials) bytes += MaterialBytes(model, *material);
    const uint64_t id_map = materials * sizeof(int32_t);
    const uint64_t multi = AllocatedBytes(sizeof(MultiMtl)) + sizeof(void*);
    if (settings.options.load_use_material_only == 0) {
        return bytes + objects * id_map + multi + materials * sizeof(void*);
    }
    bytes += materials * sizeof(void*);
    for (const auto& object : model.objects) {
        if (!IsConverted(*object)) continue;
        const uint64_t used = std::min(uint64_t(object->FaceCount()), materials);
        bytes += id_map + used * sizeof(int) + multi + used * sizeof(void*);
    }
    return bytes;
}

}  // namespace

HostMeshForecast ForecastHostMesh(const BuildSettings& settings, const MQOModel& model,
                                  const MQOObject& object) {
    HostMeshForecast f;
    if (!IsConverted(object)) return f;
    // Names are kept in the host's code page, in which a character of the
    // document's may take more bytes or fewer.
    std::string converted;
    const bool shared = settings.options.same_uv_collect != 0;
    int64_t corners = 0;
    for (const auto& face : object.faces) {
        if (!IsBuildableFace(object, *face)) continue;
        f.triangles += face->count - 2;
        corners += face->count;
        if (shared || face->has_uv == 1) f.texture_vertices += face->count;
    }
    f.vertices = object.VertexCount();
    const bool coloured = object.VertexColorCount() > 0;
    if (coloured) f.colours = corners;

    const uint64_t triangles = uint64_t(f.triangles);
    f.bytes =
        uint64_t(f.vertices) * sizeof(Point3) + triangles * sizeof(Face) +
        uint64_t(f.texture_vertices) * sizeof(UVVert) +
        (f.texture_vertices > 0 ? triangles * sizeof(TVFace) : 0) +
        (coloured ? triangles * sizeof(TVFace) + uint64_t(f.colours) * sizeof(VertColor) : 0) +
        AllocatedBytes(sizeof(ImpNode)) + AllocatedBytes(sizeof(TriObject)) + 3 * sizeof(void*) +
        TextBytes(HostText(model.code_page, object.name, converted));

    // The texture vertex of every corner and the colour table live through
    // the whole conversion; the sharing's own lists are gone before the
    // smoothing starts.
    const uint64_t faces = uint64_t(object.FaceCount());
    f.working = faces * sizeof(std::array<int32_t, 4>) + uint64_t(corners) * sizeof(Point2f);
    if (coloured) f.working += uint64_t(f.vertices) * kColourEntryBytes;
    const uint64_t sharing = shared ? uint64_t(corners) * kSharedUVBytesPerCorner +
                                          faces * kSharedUVBytesPerFace + kSharedUVFixedBytes
                                    : 0;
    const uint64_t smoothing = object.shading == 0
                                   ? 0
                                   : triangles * kSmoothingBytesPerTriangle +
                                         uint64_t(f.vertices) * kSmoothingBytesPerVertex;
    f.working += std::max(sharing, smoothing);
    return f;
}

bool SceneFitsBudget(const BuildSettings& settings, const MQOModel& model) {
    const uint64_t held = ModelBytes(model) + MaterialsBytes(settings, model);
    const char* first_over = model.ObjectCount() > 0 ? model.ObjectAt(0)->name : "";
    uint64_t kept = 0;
    uint64_t peak = 0;
    bool over = held > settings.memory_budget;
    for (const auto& object : model.objects) {
        const HostMeshForecast f = ForecastHostMesh(settings, model, *object);
        kept += f.bytes;
        const uint64_t at_object = kept + f.working;
        peak = std::max(peak, at_object);
        if (!over && held + at_object > settings.memory_budget) {
            over = true;
            first_over = object->name;
        }
    }
    std::string shown;
    return FitsMemoryBudget(model.message_sink, HostText(model.code_page, first_over, shown),
                            MemoryStage::kMeshBuilding, held, peak, settings.memory_budget);
}
