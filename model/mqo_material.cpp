#include "model/mqo_material.h"

#include "model/text.h"

void MQOMaterial::AssignName(const char* text, int32_t code_page) {
    flags |= kFlagNamed;
    CopyText(name, text, code_page);
}

void MQOMaterial::SetUid(int32_t value) {
    flags |= kFlagUid;
    uid = value;
}
