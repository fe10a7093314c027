// The Scene chunk (camera and ambient light, kept in the model's scene) and
// the BackImage chunk (background images, checked and dropped).
#include "reader/chunk_reading.h"
#include "reader/mqo_loader.h"
#include "reader/report.h"

// Reads the values of one scene keyword; false for a word that is none.
static bool ReadSceneValue(MQOLoader& loader, const char* keyword, MQOScene& scene) {
    if (SameKeyword(keyword, "pos")) {
        scene.pos = ReadPoint3(loader);
    } else if (SameKeyword(keyword, "lookat")) {
        scene.lookat = ReadPoint3(loader);
    } else if (SameKeyword(keyword, "head")) {
        scene.head = loader.ReadFloat();
    } else if (SameKeyword(keyword, "pich")) {
        scene.pich = loader.ReadFloat();
    } else if (SameKeyword(keyword, "pers")) {
        scene.pers = loader.ReadFloat();
    } else if (SameKeyword(keyword, "ortho")) {
        scene.ortho = loader.ReadInt();
    } else if (SameKeyword(keyword, "zoom")) {
        scene.zoom = loader.ReadFloat();
    } else if (SameKeyword(keyword, "zoom2")) {
        scene.zoom2 = loader.ReadFloat();
    } else if (SameKeyword(keyword, "amb")) {
        loader.ReadFloat3(scene.amb);
    } else {
        return false;
    }
    return true;
}

int32_t MQOLoader::ReadSceneChunk() {
    if (!ExpectOpenBrace()) return 0;
    char token[kTokenSize];
    while (!AtEnd()) {
        if (!ReadToken(token, sizeof(token))) return 0;
        if (SameKeyword(token, "}")) return 1;
        if (ReadSceneValue(*this, token, model->scene)) continue;
        ReportUnknownKeyword(*this, "Scene", token);
        SkipLine();
    }
    return 1;
}

static bool IsBackImageView(const char* token) {
    return SameKeyword(token, "front") || SameKeyword(token, "left") || SameKeyword(token, "top") ||
           SameKeyword(token, "pers");
}

int32_t MQOLoader::ReadBackImageChunk() {
    if (!ExpectOpenBrace()) return 0;
    char token[kTokenSize];
    char image[kPathSize];
    while (!AtEnd()) {
        if (!ReadToken(token, sizeof(token))) return 0;
        if (SameKeyword(token, "}")) return 1;
        if (IsBackImageView(token)) {
            // The image name and its placement are checked, not kept.
            ReadQuoted(image, sizeof(image));
            for (int i = 0; i < 4; ++i) ReadFloat();
            continue;
        }
        ReportUnknownKeyword(*this, "Back", token);
        SkipLine();
    }
    return 1;
}
