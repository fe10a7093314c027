// What the document says about the imported scene that the host scene does
// not carry: the objects it hides, the materials that show both sides, how
// its objects nest (through objects without faces, which have no host
// node), as the import's outline of its model gives them. Its
// objects are matched with the host's nodes.
#pragma once

#include <string>
#include <vector>

#include "export/export_scene.h"
#include "host/host_scene.h"

struct DocumentOutline;

struct DocumentLookOptions {
    bool include_hidden = false;               // else hidden objects are left out, unless all are
    float scale = 1.0f;                        // every position times this
    const DocumentOutline* outline = nullptr;  // the import's; borrowed
};

// Per object of the outline its host node, -1 for none; empty when the
// host's nodes are not the objects'.
std::vector<int> NodesOfObjects(const DocumentOutline& outline, const HostScene& host);

// The factor a scale option names: a number, or the unit the document is
// taken to be in (mm, cm, m), converted to metres, glTF's unit. 0 when it
// names no positive finite float: a number that float rounds to 0 would
// draw the model as a point.
float ScaleFactor(const char* text);

// Marks, nests, leaves out and scales the scene's nodes, adds an empty node
// for each object without faces that groups exported ones, and marks its
// double-sided materials. Returns the warnings to tell: an outline that is
// missing or does not match leaves the scene as the host holds it (only
// scaled).
std::vector<std::string> ApplyDocumentLook(ExportScene& scene, const HostScene& host,
                                           const DocumentLookOptions& options);
