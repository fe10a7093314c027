// The host's triangle mesh: per-vertex and per-face arrays that the importer
// sizes with the setNum calls and then fills by index.
#pragma once

#include <vector>

#include "host/max_types.h"

// Edge visibility bits of Face::flags; the material id is in the high 16 bits.
constexpr DWORD EDGE_A = 1u << 0;
constexpr DWORD EDGE_B = 1u << 1;
constexpr DWORD EDGE_C = 1u << 2;
constexpr DWORD EDGE_ALL = EDGE_A | EDGE_B | EDGE_C;
constexpr int FACE_MATID_SHIFT = 16;
constexpr DWORD FACE_MATID_MASK = 0xFFFF0000u;

struct Face {
    DWORD v[3] = {0, 0, 0};
    DWORD smGroup = 0;
    DWORD flags = 0;

    void setVerts(int a, int b, int c) {
        v[0] = DWORD(a);
        v[1] = DWORD(b);
        v[2] = DWORD(c);
    }
    void setEdgeVisFlags(int va, int vb, int vc) {
        flags = (flags & ~EDGE_ALL) | (va ? EDGE_A : 0) | (vb ? EDGE_B : 0) | (vc ? EDGE_C : 0);
    }
    int getEdgeVis(int edge) const;  // edge 0..2
    void setMatID(MtlID id) {
        flags = (flags & ~FACE_MATID_MASK) | (DWORD(id) << FACE_MATID_SHIFT);
    }
    MtlID getMatID() const { return MtlID(flags >> FACE_MATID_SHIFT); }
    void setSmGroup(DWORD bits) { smGroup = bits; }
    DWORD getSmGroup() const { return smGroup; }
};

// Corner indices of one face into the texture vertices or the vertex colours.
struct TVFace {
    DWORD t[3] = {0, 0, 0};

    void setTVerts(int a, int b, int c) {
        t[0] = DWORD(a);
        t[1] = DWORD(b);
        t[2] = DWORD(c);
    }
};

class Mesh {
   public:
    std::vector<Point3> verts;
    std::vector<Face> faces;
    std::vector<UVVert> tVerts;
    std::vector<TVFace> tvFace;
    std::vector<VertColor> vertCol;
    std::vector<TVFace> vcFace;

    // Each resizes its array to ct entries. Entries kept with keep are
    // unchanged; every other entry starts zeroed. A negative count fails and
    // leaves the array as it was.
    BOOL setNumVerts(int ct, BOOL keep = FALSE, BOOL synchSel = TRUE);
    BOOL setNumFaces(int ct, BOOL keep = FALSE, BOOL synchSel = TRUE);
    BOOL setNumTVerts(int ct, BOOL keep = FALSE);
    BOOL setNumTVFaces(int ct, BOOL keep = FALSE, int oldCt = 0);
    BOOL setNumVCFaces(int ct, BOOL keep = FALSE, int oldCt = 0);
    BOOL setNumVertCol(int ct, BOOL keep = FALSE);

    int getNumVerts() const { return static_cast<int>(verts.size()); }
    int getNumFaces() const { return static_cast<int>(faces.size()); }
    int getNumTVerts() const { return static_cast<int>(tVerts.size()); }
    int getNumVertCol() const { return static_cast<int>(vertCol.size()); }

    // Assigns smoothing groups by the angle (radians) between face normals;
    // see auto_smooth.cpp. Both flags are accepted and not used: the whole
    // mesh is smoothed and indirect smoothing is allowed.
    void AutoSmooth(float angle, BOOL useSel, BOOL preventIndirectSmoothing = FALSE);

    // What the importer last asked AutoSmooth for; a host record, not SDK.
    bool autoSmoothCalled = false;
    float autoSmoothAngle = 0.0f;
};
