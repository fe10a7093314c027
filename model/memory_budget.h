// What one import may hold in memory at once (the machine's default, or what
// the environment variable VARNEL_MEMORY_BUDGET says), and the estimates the
// freezes and the scene builder compare with it before they allocate.
//
// The estimates use the sizes of the real records. A record allocated on its
// own (a face, an object) also costs the heap's bookkeeping, taken as a
// 64-bit heap has it: an 8-byte header, the whole rounded up to 16 bytes.
// Lists count what they have room for, since that is what they hold.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>

#include "model/mqo_face.h"
#include "model/mqo_message_sink.h"

struct MQOModel;
struct MQOObject;

constexpr uint64_t kNoMemoryLimit = std::numeric_limits<uint64_t>::max();

// A 32-bit process shares 2 to 4 GiB of address space with its host, so it
// never plans on more than this, whatever the machine has.
constexpr uint64_t k32BitMemoryBudget = uint64_t(1) << 30;

// The machine's physical memory in bytes; 0 when the system does not tell.
uint64_t PhysicalMemoryBytes();

// The budget capped for this process: at most 1 GiB in a 32-bit one.
uint64_t CapForProcess(uint64_t budget);

// Half the physical memory, capped for this process; 1 GiB when the system
// does not tell its memory.
uint64_t DefaultMemoryBudget();

// Bytes written as a decimal number, whole or with a fraction ("0.05G"),
// optionally followed, after spaces or not, by a unit in any letter case: B,
// or K, M, G or T alone or with B or iB ("50M", "50MB", "50MiB"), each
// counting in 1024s. False for anything else, for less than a byte (a
// budget of nothing imports nothing) and for more than 64 bits hold.
[[nodiscard]] bool ParseMemoryBudget(const char* text, uint64_t& bytes);

// The budget VARNEL_MEMORY_BUDGET gives, capped for this process as the
// default is, or else the default. A value that is no budget is reported
// to the sink and left out, so a mistyped variable never ends an import.
uint64_t ImportMemoryBudget(const MQOMessageSink& messages);

// Bytes of one record of size bytes allocated on its own.
constexpr uint64_t AllocatedBytes(uint64_t size) {
    return (size + 8 + 15) / 16 * 16;
}

// A face as an object holds it: the record and its pointer in the face list.
constexpr uint64_t kFaceRecordBytes =
    AllocatedBytes(sizeof(MQOFace)) + sizeof(std::unique_ptr<MQOFace>);

// What an object, and the whole model, hold now.
uint64_t ObjectBytes(const MQOObject& object);
uint64_t ModelBytes(const MQOModel& model);

// What a freeze or the scene builder will make of an object: its vertex and
// face counts afterwards, and the bytes it allocates beyond what the model
// already holds, at its peak.
struct MemoryForecast {
    int64_t vertices = 0;
    int64_t faces = 0;
    uint64_t bytes = 0;
};

// Whether held plus needed bytes fit the budget. When they do not, tells the
// sink which object the stage (such as Freeze Mirror) refused, with the
// bytes it would have needed and the budget.
[[nodiscard]] bool FitsMemoryBudget(const MQOMessageSink& sink, const char* object,
                                    MemoryStage stage, uint64_t held, uint64_t needed,
                                    uint64_t budget);
