// The importer: one file type, "MQO", and the import entry that runs the
// options dialog, the reader and the scene builder.
#pragma once

#include "builder/import_options.h"
#include "host/plugin.h"

// Every import starts from a copy of these words, so the dialog always opens
// with them: the choices of one import are not kept for the next.
extern const ImportOptions DefaultImportOptions;

class Varnel : public SceneImport {
   public:
    int ExtCount() override { return 1; }
    const TCHAR* Ext(int) override { return "MQO"; }
    const TCHAR* LongDesc() override { return "Metasequoia File"; }
    const TCHAR* ShortDesc() override { return "Metasequoia"; }
    const TCHAR* AuthorName() override { return ""; }
    const TCHAR* CopyrightMessage() override { return ""; }
    const TCHAR* OtherMessage1() override { return ""; }
    const TCHAR* OtherMessage2() override { return ""; }
    unsigned int Version() override { return 108; }
    void ShowAbout(HWND) override {}
    // 0 for a null name, a refused directory or a failed read; 1 after Cancel
    // (nothing imported) and after an import.
    int DoImport(const TCHAR* name, ImpInterface* ii, Interface* ip,
                 BOOL suppressPrompts = FALSE) override;
    int ZoomExtents() override { return ZOOMEXT_NOT_IMPLEMENTED; }

    // The current import's option words and the directory of its file; both
    // are set by DoImport before anything reads them.
    ImportOptions options = {};
    char directory[1024] = {};
};
