// The files Assimp's writers open, with every write checked. The writers
// ignore what their streams answer, so a full disk would leave a short file
// that looks written; here the first failure (a write, a flush or the
// close) is kept with its errno for the caller to ask after the export.
#pragma once

#include <assimp/DefaultIOSystem.h>

class CheckedIOSystem : public Assimp::DefaultIOSystem {
   public:
    // The errno of the first failure of any file opened through this
    // system is stored in *error, which must outlive the files.
    explicit CheckedIOSystem(int* error) : error_(error) {}

    Assimp::IOStream* Open(const char* path, const char* mode) override;

   private:
    int* error_;
};
