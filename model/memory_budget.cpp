#include "model/memory_budget.h"

#include <algorithm>

#include "model/mqo_model.h"
#include "model/report.h"

namespace {

template <typename T>
uint64_t ListBytes(const std::vector<T>& list) {
    return uint64_t(list.capacity()) * sizeof(T);
}

// A list of records allocated one by one.
template <typename T>
uint64_t RecordListBytes(const std::vector<std::unique_ptr<T>>& list) {
    return ListBytes(list) + uint64_t(list.size()) * AllocatedBytes(sizeof(T));
}

}  // namespace

uint64_t CapForProcess(uint64_t budget) {
    return sizeof(void*) < 8 ? std::min(budget, k32BitMemoryBudget) : budget;
}

uint64_t DefaultMemoryBudget() {
    const uint64_t physical = PhysicalMemoryBytes();
    return CapForProcess(physical == 0 ? k32BitMemoryBudget : physical / 2);
}

uint64_t ObjectBytes(const MQOObject& object) {
    return AllocatedBytes(sizeof(MQOObject)) + ListBytes(object.vertices) +
           ListBytes(object.vertex_uids) + RecordListBytes(object.faces) +
           RecordListBytes(object.vertex_colors) + RecordListBytes(object.vertex_weights);
}

uint64_t ModelBytes(const MQOModel& model) {
    uint64_t bytes = ListBytes(model.objects) + RecordListBytes(model.materials);
    for (const auto& object : model.objects) bytes += ObjectBytes(*object);
    return bytes;
}

bool FitsMemoryBudget(const MQOMessageSink& sink, const char* object, MemoryStage stage,
                      uint64_t held, uint64_t needed, uint64_t budget) {
    // Forecasts of hostile documents may be near 2^64; the sum saturates.
    const uint64_t total = needed > kNoMemoryLimit - held ? kNoMemoryLimit : held + needed;
    if (total <= budget) return true;
    ReportTo(sink, MessageCode::kOverMemoryBudget, 0, object, MemoryStageName(stage),
             static_cast<unsigned long long>(total), static_cast<unsigned long long>(budget));
    return false;
}
