// Freezes Catmull-Clark surfaces into real subdivided geometry.
#pragma once

struct MQOModel;
struct MQOObject;

void FreezeCatmull(MQOModel& model);
void FreezeCatmull(MQOObject& object);
