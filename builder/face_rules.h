// Which faces and materials of a document the builder can use. A document may
// name vertices and materials it does not have; such faces are left out of
// the mesh and such material indices count as no material, in the mesh and in
// the material conversion alike.
#pragma once

struct MQOModel;
struct MQOObject;
struct MQOFace;

// 3 or 4 corners, each on a vertex of the object.
bool IsBuildableFace(const MQOObject& object, const MQOFace& face);

// The face's material index, or -1 when it has none or names none of the
// model's materials.
int FaceMaterial(const MQOModel& model, const MQOFace& face);
