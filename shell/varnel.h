// The importer: one file type, "MQO", and the import entry that runs the
// options dialog, the reader and the scene builder.
#pragma once

#include <cstddef>
#include <cstdint>

#include "builder/import_options.h"
#include "host/plugin.h"
#include "model/mqo_message_sink.h"

struct MQOModel;

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
    // 0 for a null name, a refused directory, a failed read, a scene over
    // the memory budget or memory that ran out; 1 after Cancel (nothing
    // imported) and after an import. Nothing is thrown to the host.
    int DoImport(const TCHAR* name, ImpInterface* ii, Interface* ip,
                 BOOL suppressPrompts = FALSE) override;
    int ZoomExtents() override { return ZOOMEXT_NOT_IMPLEMENTED; }

    // The current import's option words and the directory of its file; both
    // are set by DoImport before anything reads them.
    ImportOptions options = {};
    char directory[1024] = {};
    // Where the import's diagnostics go: the reader's, the memory budget's
    // and that of memory running out. The host leaves it empty, so that it
    // shows none; a program playing the host may fill it.
    MQOMessageSink messages;
    // The bytes of the document DoImport names, when the caller already
    // holds them (a program that took it out of an archive): they are read
    // instead of the file, under the name, so that messages and the folder
    // of the maps are the name's. Borrowed until the watcher's read is told
    // that reading ended, after which the import reads them no more; null
    // reads the file.
    const char* document_bytes = nullptr;
    size_t document_size = 0;
    // Where an import that returned 0 stopped: before the dialog, for want
    // of a name or for a directory longer than the field; for want of
    // memory; in the reader; or in the scene builder.
    enum class Stop { kNoName, kDirectoryTooLong, kOutOfMemory, kReading, kBuilding };
    // For a program playing the host; the host leaves it empty. read is
    // told how reading ended (the loader's result and the line it reached),
    // and stopped where an import that returns 0 stopped, so that a failure
    // is explained from what happened. seen is shown the document's model
    // once the scene is built, before the model is released, for an export
    // that needs what the host's scene does not carry (which objects the
    // document hides, how they nest).
    struct ImportWatcher {
        void* user = nullptr;
        void (*read)(void* user, int32_t result, int32_t line) = nullptr;
        void (*seen)(void* user, const MQOModel& model) = nullptr;
        void (*stopped)(void* user, Stop where) = nullptr;
    };
    ImportWatcher watcher;

   private:
    int Import(const TCHAR* name, ImpInterface* ii, Interface* ip);
    // Returns 0, telling the watcher where.
    int StopAt(Stop where);
};
