// Removes degenerate faces: repeated corners are compacted, folded quads and
// faces left with fewer than three corners are dropped.
#pragma once

struct MQOModel;
struct MQOObject;

void CleanupFaces(MQOModel& model);
void CleanupFaces(MQOObject& object);
