#include "model/mqo_material.h"

#include "model/text.h"

void MQOMaterial::AssignName(const char* text) {
    flags |= kFlagNamed;
    CopyText(name, text);
}

void MQOMaterial::SetUid(int32_t value) {
    flags |= kFlagUid;
    uid = value;
}
