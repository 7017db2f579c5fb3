// The dialog templates of the program's windows.
#include "resources/DialogTemplate.h"

namespace orvex {
namespace {

using K = ControlKind;

constexpr std::uint32_t kRO = kStyleReadOnly;
constexpr std::uint32_t kXP = kStyleOwnerDraw;

// clang-format off
const DialogTemplate kAbout = {100, 170, 62, "MS Shell Dlg", 9, false, {
    {0,    K::kIcon,       14, 14,  21, 20,  0, 0, nullptr},
    {0,    K::kStatic,     42, 14, 114,  8,  0, 0, L"V1.0.0.7"},
    {1,    K::kPushButton, 113, 41, 50, 14,  kStyleDefault, 156, nullptr},
}};

const DialogTemplate kMain = {102, 419, 274, "MS Shell Dlg", 9, false, {
    {1002, K::kGroupBox,      2,   3, 187, 109, 0, 102, nullptr},
    {1009, K::kStatic,        7,  16,  64,   8, 0, 103, nullptr},
    {1008, K::kDropDownList, 75,  13, 106, 107, 0, 0, nullptr},
    {1010, K::kStatic,        7,  32,  64,   8, 0, 104, nullptr},
    {1003, K::kEdit,         75,  28, 106,  14, kRO, 0, nullptr},
    {1011, K::kStatic,        7,  48,  64,   8, 0, 105, nullptr},
    {1004, K::kEdit,         75,  44, 106,  14, kRO, 0, nullptr},
    {1012, K::kStatic,        7,  64,  64,   8, 0, 106, nullptr},
    {1005, K::kEdit,         75,  60, 106,  14, kRO, 0, nullptr},
    {1013, K::kStatic,        7,  80,  64,   8, 0, 107, nullptr},
    {1006, K::kEdit,         75,  76, 106,  14, kRO, 0, nullptr},
    {1014, K::kStatic,        7,  96,  64,   8, 0, 108, nullptr},
    {1007, K::kEdit,         75,  92, 106,  14, kRO, 0, nullptr},
    {1015, K::kGroupBox,      2, 112, 187, 139, 0, 109, nullptr},
    {1017, K::kReportList,    5, 122, 181, 110, 0, 0, nullptr},
    {1019, K::kStatic,        8, 237,  99,   8, 0, 115, nullptr},
    {1018, K::kPushButton,  130, 234,  50,  14, kXP, 116, nullptr},
    {1016, K::kGroupBox,    192,   3, 224, 248, 0, 110, nullptr},
    {1000, K::kDropDownList,337,   1,  77, 133, 0, 0, nullptr},
    {1022, K::kTabControl,  195,  21, 219, 226, 0, 0, nullptr},
    {1021, K::kPushButton,  130, 256,  50,  14, kXP, 127, nullptr},
    {1020, K::kPushButton,  218, 256,  50,  14, kXP, 126, nullptr},
    {1,    K::kPushButton,  279, 256,  50,  14, kXP | kStyleDefault, 128, nullptr},
    {2,    K::kPushButton,  340, 256,  50,  14, kXP, 129, nullptr},
}};

const DialogTemplate kBasic = {129, 255, 230, "MS Shell Dlg", 8, true, {
    {1037, K::kStatic,       10,   8,  61,   8, 0, 132, nullptr},
    {1025, K::kEdit,         78,   5, 130,  14, kRO, 0, nullptr},
    {1038, K::kStatic,       10,  24,  61,   8, 0, 133, nullptr},
    {1029, K::kEdit,         78,  22,  50,  14, kStyleFiltered, 0, nullptr},
    {1028, K::kUpDown,      126,  22,  10,  14, 0, 0, nullptr},
    {1039, K::kStatic,       10,  41,  61,   8, 0, 134, nullptr},
    {1030, K::kDropDownList, 78,  39, 130, 128, 0, 0, nullptr},
    {1040, K::kStatic,       10,  59,  61,   8, 0, 135, nullptr},
    {1031, K::kIpAddress,    78,  56, 130,  15, 0, 0, nullptr},
    {1041, K::kStatic,       10,  77,  61,   8, 0, 136, nullptr},
    {1032, K::kIpAddress,    78,  74, 130,  15, 0, 0, nullptr},
    {1042, K::kStatic,       10,  95,  61,   8, 0, 137, nullptr},
    {1033, K::kIpAddress,    78,  92, 130,  15, 0, 0, nullptr},
    {1043, K::kStatic,       10, 114,  61,   8, 0, 138, nullptr},
    {1034, K::kIpAddress,    78, 111, 130,  15, 0, 0, nullptr},
    {1044, K::kStatic,       10, 132,  61,   8, 0, 139, nullptr},
    {1035, K::kIpAddress,    78, 129, 130,  15, 0, 0, nullptr},
    {1046, K::kStatic,       10, 152,  61,   8, 0, 147, nullptr},
    {1027, K::kEdit,         78, 148, 130,  14, kRO, 0, nullptr},
    {1045, K::kStatic,       10, 169,  61,   8, 0, 140, nullptr},
    {1026, K::kEdit,         78, 166, 130,  14, kRO, 0, nullptr},
    {1036, K::kPushButton,  211, 166,  38,  14, kXP, 141, nullptr},
}};

const DialogTemplate kOther = {130, 255, 230, "MS Shell Dlg", 8, true, {
    {1050, K::kStatic,       10,   9,  61,   8, 0, 144, nullptr},
    {1046, K::kEdit,         80,   6, 114,  14, kRO, 0, nullptr},
    {1051, K::kStatic,       10,  28,  61,   8, 0, 145, nullptr},
    {1047, K::kEdit,         80,  25, 114,  14, kRO, 0, nullptr},
    {1052, K::kStatic,       10,  47,  61,   8, 0, 146, nullptr},
    {1048, K::kEdit,         80,  44, 114,  14, kRO, 0, nullptr},
    {1054, K::kPushButton,   10,  78,  62,  15, kXP, 148, nullptr},
    {1053, K::kStatic,       10,  99,  61,   8, kStyleHidden, 147, nullptr},
    {1049, K::kEdit,         80,  97, 114,  14, kRO | kStyleHidden, 0, nullptr},
    {1055, K::kStatic,       10, 118,  61,   8, kStyleHidden, 193, nullptr},
    {1056, K::kEdit,         80, 115, 114,  14, kStyleHidden, 0, nullptr},
    {1057, K::kPushButton,  200, 115,  48,  15, kXP | kStyleHidden, 192, nullptr},
}};

const DialogTemplate kLogin = {131, 201, 84, "MS Shell Dlg", 8, false, {
    {1,    K::kPushButton,   32,  63,  50,  14, kXP | kStyleDefault, 156, nullptr},
    {2,    K::kPushButton,  116,  63,  50,  14, kXP, 157, nullptr},
    {1057, K::kStatic,       16,  15,  57,   8, 0, 154, nullptr},
    {1058, K::kStatic,       16,  37,  57,   8, 0, 155, nullptr},
    {1055, K::kEdit,         81,  12, 102,  14, 0, 0, nullptr},
    {1056, K::kEdit,         81,  34, 102,  14, kStylePassword, 0, nullptr},
}};

const DialogTemplate kSmart = {132, 255, 230, "MS Shell Dlg", 8, true, {
    {1,    K::kPushButton,  197, 213,  50,  14, kStyleHidden | kStyleDisabled, 0, nullptr},
    {2,    K::kPushButton,  197, 197,  50,  14, kStyleHidden | kStyleDisabled, 0, nullptr},
    {1065, K::kStatic,        1,   0, 253,  34, 0, 0, nullptr},
    {1066, K::kStatic,        1,  40, 253,  34, 0, 0, nullptr},
    {0,    K::kGroupBox,      1,  76, 253,  40, 0, 0, nullptr},
    {1070, K::kStatic,        5,  86,  72,   8, 0, 180, nullptr},
    {1067, K::kEdit,         84,  83,  82,  14, 0, 0, nullptr},
    {1071, K::kStatic,        5, 101,  72,   8, 0, 181, nullptr},
    {1068, K::kEdit,         84,  99,  82,  14, 0, 0, nullptr},
    {1069, K::kPushButton,  171,  90,  78,  16, kXP, 182, nullptr},
    {1072, K::kGroupBox,      1, 116, 253, 114, 0, 183, nullptr},
    {1073, K::kListBox,       3, 126, 250, 102, 0, 0, nullptr},
}};
const DialogTemplate kManual = {133, 316, 96, "MS Shell Dlg", 8, false, {
    {1059, K::kRadio,        53,  14, 102,  10, kStyleGroupStart, 162, nullptr},
    {1060, K::kRadio,       170,  14, 102,  10, 0, 163, nullptr},
    {1063, K::kStatic,       12,  33,  36,   8, 0, 164, nullptr},
    {1061, K::kEdit,         53,  31, 210,  14, kRO, 0, nullptr},
    {1062, K::kPushButton,  265,  29,  41,  16, kXP, 167, nullptr},
    {1,    K::kPushButton,   53,  55,  56,  16, kXP, 165, nullptr},
    {2,    K::kPushButton,  177,  55,  56,  16, kXP, 166, nullptr},
    {1064, K::kStatic,       12,  77, 290,   8, 0, 0, nullptr},
}};
// clang-format on

}  // namespace

const DialogTemplate* FindDialogTemplate(int id) {
    for (const DialogTemplate* t : {&kAbout, &kMain, &kBasic, &kOther, &kLogin, &kSmart, &kManual}) {
        if (t->id == id) return t;
    }
    return nullptr;
}

}  // namespace orvex
