#include "host/mesh.h"

int Face::getEdgeVis(int edge) const {
    if (edge < 0 || edge > 2) return 0;
    return (flags >> edge) & 1u ? 1 : 0;
}

template <typename T>
static BOOL Resize(std::vector<T>& array, int ct, BOOL keep) {
    if (ct < 0) return FALSE;
    if (!keep) array.clear();
    array.resize(static_cast<size_t>(ct), T{});
    return TRUE;
}

BOOL Mesh::setNumVerts(int ct, BOOL keep, BOOL) {
    return Resize(verts, ct, keep);
}
BOOL Mesh::setNumFaces(int ct, BOOL keep, BOOL) {
    return Resize(faces, ct, keep);
}
BOOL Mesh::setNumTVerts(int ct, BOOL keep) {
    return Resize(tVerts, ct, keep);
}
BOOL Mesh::setNumTVFaces(int ct, BOOL keep, int) {
    return Resize(tvFace, ct, keep);
}
BOOL Mesh::setNumVCFaces(int ct, BOOL keep, int) {
    return Resize(vcFace, ct, keep);
}
BOOL Mesh::setNumVertCol(int ct, BOOL keep) {
    return Resize(vertCol, ct, keep);
}
