#include "process/cleanup_faces.h"

#include <utility>

#include "model/mqo_model.h"

namespace {

// A quad whose opposite corners meet is folded onto itself and spans no area,
// even if dropping repeated corners would leave three.
bool IsFoldedQuad(const MQOFace& face) {
    return face.count == 4 && (face.v[0] == face.v[2] || face.v[1] == face.v[3]);
}

// Drops runs of equal corners and a last corner that closes back onto the
// first, in place, and answers the corners kept. Corners only move down, and
// each comparison reads a slot that has not been written yet, so the rule
// sees the face as it was. A face without such corners is left untouched.
int CompactCorners(MQOFace& face) {
    const int n = face.count;
    int c = 1;
    for (int i = 1; i < n; ++i) {
        bool closes = i == n - 1 && face.v[i] == face.v[0];
        if (closes || face.v[i] == face.v[i - 1]) continue;
        if (c != i) {
            face.v[c] = face.v[i];
            face.col[c] = face.col[i];
            face.uv[c] = face.uv[i];
        }
        ++c;
    }
    face.count = c;
    return c;
}

}  // namespace

void CleanupFaces(MQOModel& model) {
    for (int i = 0; i < model.ObjectCount(); ++i) CleanupFaces(*model.ObjectAt(i));
}

// Faces without repeated corners are kept as they are, in place, so a clean
// object costs no copy of its faces.
void CleanupFaces(MQOObject& object) {
    size_t k = 0;
    for (size_t i = 0; i < object.faces.size(); ++i) {
        MQOFace& face = *object.faces[i];
        // A count beyond the four slots is no face the model can hold.
        if (face.count > MQOFace::kMaxCorners || IsFoldedQuad(face)) continue;
        if (CompactCorners(face) < 3) continue;  // dropped faces are discarded below
        if (k != i) object.faces[k] = std::move(object.faces[i]);
        ++k;
    }
    object.faces.resize(k);
}
