// Freezes mirrored objects: the reflected halves become real geometry.
#pragma once

struct MQOModel;
struct MQOObject;

void FreezeMirror(MQOModel& model);
void FreezeMirror(MQOObject& object);
