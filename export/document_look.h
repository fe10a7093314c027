// What the document says about the imported scene that the host scene does
// not carry: the objects it hides, the materials that show both sides, how
// its objects nest. The import's own outline of the document is used when
// there is one; else the document is read again, with the freezes the import
// used. Its objects are matched with the host's nodes.
#pragma once

#include <string>
#include <vector>

#include "export/export_scene.h"
#include "host/host_scene.h"

struct DocumentOutline;

struct DocumentLookOptions {
    std::string document;  // the imported file
    // Its bytes when they came out of an archive that document names; null
    // reads the file. Borrowed.
    const std::string* document_bytes = nullptr;
    bool freeze_mirror = false;
    bool freeze_catmull = false;
    bool include_hidden = false;               // else hidden objects are left out, unless all are
    float scale = 1.0f;                        // every position times this
    const DocumentOutline* outline = nullptr;  // the import's, else none
};

// Marks, nests, leaves out and scales the scene's nodes and marks its
// double-sided materials. Returns the warnings to tell: a document that
// cannot be read again or matched leaves the scene as the host holds it
// (only scaled).
std::vector<std::string> ApplyDocumentLook(ExportScene& scene, const HostScene& host,
                                           const DocumentLookOptions& options);
