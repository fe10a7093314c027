// A child cannot read a file through a handle it inherited by a name, so
// the walks are a named file in the user's temporary folder, removed when
// the run ends; one killed outright leaves it there, as any program's
// temporaries.
#include "convert/project_walks.h"

#include <windows.h>

#include "export/win32/wide_text.h"

void ProjectWalks::Keep(const std::vector<FolderTree>& walks) {
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH || GetTempFileNameW(folder, L"vnw", 0, name) == 0) return;
    const std::string path = Utf8Of(name);
    if (!SaveFolderTrees(path, walks)) {
        DeleteFileW(name);
        return;
    }
    path_ = path;
}

ProjectWalks::~ProjectWalks() {
    if (!path_.empty()) DeleteFileW(WidePath(path_).c_str());
}
