#include "process/cleanup_faces.h"

#include <utility>

#include "model/mqo_model.h"

namespace {

// A quad whose opposite corners meet is folded onto itself and spans no area,
// even if dropping repeated corners would leave three.
bool IsFoldedQuad(const MQOFace& face) {
    return face.count == 4 && (face.v[0] == face.v[2] || face.v[1] == face.v[3]);
}

// Whether compacting would drop a corner: a run of equal corners, or a last
// corner that closes back onto the first. Most faces have none and are kept
// without a copy. count must be 3 or 4.
bool HasRepeatedCorners(const MQOFace& face) {
    const int n = face.count;
    for (int i = 1; i < n; ++i) {
        if (face.v[i] == face.v[i - 1]) return true;
    }
    return face.v[n - 1] == face.v[0];
}

// Copies the face without runs of equal corners and without a last corner
// that closes back onto the first. Answers the corners kept.
int CompactCorners(const MQOFace& face, MQOFace& out) {
    out = face;
    int n = face.count;
    int c = 1;
    for (int i = 1; i < n; ++i) {
        bool closes = i == n - 1 && face.v[i] == face.v[0];
        if (closes || face.v[i] == face.v[i - 1]) continue;
        out.v[c] = face.v[i];
        out.col[c] = face.col[i];
        out.uv[c] = face.uv[i];
        ++c;
    }
    out.count = c;
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
        if (face.count > MQOFace::kMaxCorners || face.count < 3 || IsFoldedQuad(face)) continue;
        if (HasRepeatedCorners(face)) {
            MQOFace compact;
            if (CompactCorners(face, compact) < 3) continue;
            face = compact;
        }
        if (k != i) object.faces[k] = std::move(object.faces[i]);
        ++k;
    }
    object.faces.resize(k);
}
