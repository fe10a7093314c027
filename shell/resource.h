// Resource identifiers of the module, shared by varnel.rc and the code.
#pragma once

#define IDS_LIB_DESCRIPTION 1
#define IDS_CATEGORY 2
#define IDS_CLASS_NAME 3
#define IDS_PARAMS 4
#define IDS_SPIN 5

#define IDD_OPTIONS 102

#define IDC_LOAD_USE_MATERIAL_ONLY 1001
#define IDC_SAME_UV_COLLECT 1002
#define IDC_FREEZE_MIRROR 1003
#define IDC_FREEZE_CATMULL 1004
