// The dialog templates of the program's windows.
#include "resources/DialogTemplate.h"
#include "resources/Resource.h"

namespace orvex {
namespace {

using K = ControlKind;

constexpr std::uint32_t kRO = kStyleReadOnly;
constexpr std::uint32_t kXP = kStyleOwnerDraw;

// clang-format off
const DialogTemplate kAbout = {IDD_ABOUTBOX /* 100 */, 170, 62, "MS Shell Dlg", 9, false, {
    {0, K::kIcon,       14, 14,  21, 20,  0, 0, nullptr},
    {0, K::kStatic,     42, 14, 114,  8,  0, 0, L"V1.0.0.7"},
    {IDOK /* 1 */, K::kPushButton, 113, 41, 50, 14,  kStyleDefault, IDS_OK /* 156 */, nullptr},
}};

const DialogTemplate kMain = {IDD_ORVEX_DIALOG /* 102 */, 419, 274, "MS Shell Dlg", 9, false, {
    {IDC_COMPUTER_GROUP /* 1002 */, K::kGroupBox,      2,   3, 187, 109, 0, IDS_CURRENT_COMPUTER /* 102 */, nullptr},
    {IDC_ADAPTER_LABEL /* 1009 */, K::kStatic,        7,  16,  64,   8, 0, IDS_NETWORK_ADAPTER /* 103 */, nullptr},
    {IDC_ADAPTER_LIST /* 1008 */, K::kDropDownList, 75,  13, 106, 107, 0, 0, nullptr},
    {IDC_ADAPTER_IP_LABEL /* 1010 */, K::kStatic,        7,  32,  64,   8, 0, IDS_ADAPTER_IP /* 104 */, nullptr},
    {IDC_ADAPTER_IP /* 1003 */, K::kEdit,         75,  28, 106,  14, kRO, 0, nullptr},
    {IDC_ADAPTER_MASK_LABEL /* 1011 */, K::kStatic,        7,  48,  64,   8, 0, IDS_ADAPTER_MASK /* 105 */, nullptr},
    {IDC_ADAPTER_MASK /* 1004 */, K::kEdit,         75,  44, 106,  14, kRO, 0, nullptr},
    {IDC_ADAPTER_GATEWAY_LABEL /* 1012 */, K::kStatic,        7,  64,  64,   8, 0, IDS_ADAPTER_GATEWAY /* 106 */, nullptr},
    {IDC_ADAPTER_GATEWAY /* 1005 */, K::kEdit,         75,  60, 106,  14, kRO, 0, nullptr},
    {IDC_ADAPTER_DNS1_LABEL /* 1013 */, K::kStatic,        7,  80,  64,   8, 0, IDS_ADAPTER_DNS1 /* 107 */, nullptr},
    {IDC_ADAPTER_DNS1 /* 1006 */, K::kEdit,         75,  76, 106,  14, kRO, 0, nullptr},
    {IDC_ADAPTER_DNS2_LABEL /* 1014 */, K::kStatic,        7,  96,  64,   8, 0, IDS_ADAPTER_DNS2 /* 108 */, nullptr},
    {IDC_ADAPTER_DNS2 /* 1007 */, K::kEdit,         75,  92, 106,  14, kRO, 0, nullptr},
    {IDC_CAMERA_GROUP /* 1015 */, K::kGroupBox,      2, 112, 187, 139, 0, IDS_CAMERAS /* 109 */, nullptr},
    {IDC_CAMERA_LIST /* 1017 */, K::kReportList,    5, 122, 181, 110, 0, 0, nullptr},
    {IDC_CAMERA_COUNT /* 1019 */, K::kStatic,        8, 237,  99,   8, 0, IDS_COUNT /* 115 */, nullptr},
    {IDC_EXPORT /* 1018 */, K::kPushButton,  130, 234,  50,  14, kXP, IDS_EXPORT /* 116 */, nullptr},
    {IDC_CAMERA_INFO_GROUP /* 1016 */, K::kGroupBox,    192,   3, 224, 248, 0, IDS_CAMERA_INFORMATION /* 110 */, nullptr},
    {IDC_LANGUAGE /* 1000 */, K::kDropDownList,337,   1,  77, 133, 0, 0, nullptr},
    {IDC_PAGES /* 1022 */, K::kTabControl,  195,  21, 219, 226, 0, 0, nullptr},
    {IDC_ONE_KEY_SET /* 1021 */, K::kPushButton,  130, 256,  50,  14, kXP, IDS_ONE_KEY_SET /* 127 */, nullptr},
    {IDC_FIND /* 1020 */, K::kPushButton,  218, 256,  50,  14, kXP, IDS_FIND /* 126 */, nullptr},
    {IDOK /* 1 */, K::kPushButton,  279, 256,  50,  14, kXP | kStyleDefault, IDS_APPLY /* 128 */, nullptr},
    {IDCANCEL /* 2 */, K::kPushButton,  340, 256,  50,  14, kXP, IDS_CLOSE /* 129 */, nullptr},
}};

const DialogTemplate kBasic = {IDD_BASIC_INFO /* 129 */, 255, 230, "MS Shell Dlg", 8, true, {
    {IDC_BASIC_NAME_LABEL /* 1037 */, K::kStatic,       10,   8,  61,   8, 0, IDS_NAME /* 132 */, nullptr},
    {IDC_BASIC_NAME /* 1025 */, K::kEdit,         78,   5, 130,  14, kRO, 0, nullptr},
    {IDC_BASIC_PORT_LABEL /* 1038 */, K::kStatic,       10,  24,  61,   8, 0, IDS_HTTP_PORT /* 133 */, nullptr},
    {IDC_BASIC_PORT /* 1029 */, K::kEdit,         78,  22,  50,  14, kStyleFiltered, 0, nullptr},
    {IDC_BASIC_PORT_SPIN /* 1028 */, K::kUpDown,      126,  22,  10,  14, 0, 0, nullptr},
    {IDC_BASIC_NETWORK_LABEL /* 1039 */, K::kStatic,       10,  41,  61,   8, 0, IDS_NETWORK /* 134 */, nullptr},
    {IDC_BASIC_NETWORK /* 1030 */, K::kDropDownList, 78,  39, 130, 128, 0, 0, nullptr},
    {IDC_BASIC_IP_LABEL /* 1040 */, K::kStatic,       10,  59,  61,   8, 0, IDS_IP /* 135 */, nullptr},
    {IDC_BASIC_IP /* 1031 */, K::kIpAddress,    78,  56, 130,  15, 0, 0, nullptr},
    {IDC_BASIC_MASK_LABEL /* 1041 */, K::kStatic,       10,  77,  61,   8, 0, IDS_SUB_MASK /* 136 */, nullptr},
    {IDC_BASIC_MASK /* 1032 */, K::kIpAddress,    78,  74, 130,  15, 0, 0, nullptr},
    {IDC_BASIC_GATEWAY_LABEL /* 1042 */, K::kStatic,       10,  95,  61,   8, 0, IDS_GATEWAY /* 137 */, nullptr},
    {IDC_BASIC_GATEWAY /* 1033 */, K::kIpAddress,    78,  92, 130,  15, 0, 0, nullptr},
    {IDC_BASIC_DNS1_LABEL /* 1043 */, K::kStatic,       10, 114,  61,   8, 0, IDS_PRIMARY_DNS /* 138 */, nullptr},
    {IDC_BASIC_DNS1 /* 1034 */, K::kIpAddress,    78, 111, 130,  15, 0, 0, nullptr},
    {IDC_BASIC_DNS2_LABEL /* 1044 */, K::kStatic,       10, 132,  61,   8, 0, IDS_SECONDARY_DNS /* 139 */, nullptr},
    {IDC_BASIC_DNS2 /* 1035 */, K::kIpAddress,    78, 129, 130,  15, 0, 0, nullptr},
    {IDC_BASIC_UID_LABEL /* 1046 */, K::kStatic,       10, 152,  61,   8, 0, IDS_UID /* 147 */, nullptr},
    {IDC_BASIC_UID /* 1027 */, K::kEdit,         78, 148, 130,  14, kRO, 0, nullptr},
    {IDC_BASIC_INNER_ACCESS_LABEL /* 1045 */, K::kStatic,       10, 169,  61,   8, 0, IDS_INNER_ACCESS /* 140 */, nullptr},
    {IDC_BASIC_INNER_ACCESS /* 1026 */, K::kEdit,         78, 166, 130,  14, kRO, 0, nullptr},
    {IDC_BASIC_OPEN /* 1036 */, K::kPushButton,  211, 166,  38,  14, kXP, IDS_OPEN_PAGE /* 141 */, nullptr},
}};

const DialogTemplate kOther = {IDD_OTHER_INFO /* 130 */, 255, 230, "MS Shell Dlg", 8, true, {
    {IDC_OTHER_VERSION_LABEL /* 1050 */, K::kStatic,       10,   9,  61,   8, 0, IDS_VERSION /* 144 */, nullptr},
    {IDC_OTHER_VERSION /* 1046 */, K::kEdit,         80,   6, 114,  14, kRO, 0, nullptr},
    {IDC_OTHER_MAC_LABEL /* 1051 */, K::kStatic,       10,  28,  61,   8, 0, IDS_MAC /* 145 */, nullptr},
    {IDC_OTHER_MAC /* 1047 */, K::kEdit,         80,  25, 114,  14, kRO, 0, nullptr},
    {IDC_OTHER_DDNS_LABEL /* 1052 */, K::kStatic,       10,  47,  61,   8, 0, IDS_DDNS_PASSWORD /* 146 */, nullptr},
    {IDC_OTHER_DDNS_PASSWORD /* 1048 */, K::kEdit,         80,  44, 114,  14, kRO, 0, nullptr},
    {IDC_MANUAL_UPGRADE /* 1054 */, K::kPushButton,   10,  78,  62,  15, kXP, IDS_MANUAL_UPGRADE /* 148 */, nullptr},
    {IDC_OTHER_UID_LABEL /* 1053 */, K::kStatic,       10,  99,  61,   8, kStyleHidden, IDS_UID /* 147 */, nullptr},
    {IDC_OTHER_UID /* 1049 */, K::kEdit,         80,  97, 114,  14, kRO | kStyleHidden, 0, nullptr},
    {IDC_SET_UID_LABEL /* 1055 */, K::kStatic,       10, 118,  61,   8, kStyleHidden, IDS_SET_UID /* 193 */, nullptr},
    {IDC_SET_UID_EDIT /* 1056 */, K::kEdit,         80, 115, 114,  14, kStyleHidden, 0, nullptr},
    {IDC_SET_UID /* 1057 */, K::kPushButton,  200, 115,  48,  15, kXP | kStyleHidden, IDS_SET /* 192 */, nullptr},
}};

const DialogTemplate kLogin = {IDD_LOGIN /* 131 */, 201, 84, "MS Shell Dlg", 8, false, {
    {IDOK /* 1 */, K::kPushButton,   32,  63,  50,  14, kXP | kStyleDefault, IDS_OK /* 156 */, nullptr},
    {IDCANCEL /* 2 */, K::kPushButton,  116,  63,  50,  14, kXP, IDS_CANCEL /* 157 */, nullptr},
    {IDC_LOGIN_ACCOUNT_LABEL /* 1057 */, K::kStatic,       16,  15,  57,   8, 0, IDS_ACCOUNT /* 154 */, nullptr},
    {IDC_LOGIN_PASSWORD_LABEL /* 1058 */, K::kStatic,       16,  37,  57,   8, 0, IDS_PASSWORD /* 155 */, nullptr},
    {IDC_LOGIN_ACCOUNT /* 1055 */, K::kEdit,         81,  12, 102,  14, 0, 0, nullptr},
    {IDC_LOGIN_PASSWORD /* 1056 */, K::kEdit,         81,  34, 102,  14, kStylePassword, 0, nullptr},
}};

const DialogTemplate kSmart = {IDD_SMART_UPGRADE /* 132 */, 255, 230, "MS Shell Dlg", 8, true, {
    {IDOK /* 1 */, K::kPushButton,  197, 213,  50,  14, kStyleHidden | kStyleDisabled, 0, nullptr},
    {IDCANCEL /* 2 */, K::kPushButton,  197, 197,  50,  14, kStyleHidden | kStyleDisabled, 0, nullptr},
    {IDC_SMART_HELP /* 1065 */, K::kStatic,        1,   0, 253,  34, 0, 0, nullptr},
    {IDC_SMART_HELP_ACCOUNT /* 1066 */, K::kStatic,        1,  40, 253,  34, 0, 0, nullptr},
    {0, K::kGroupBox,      1,  76, 253,  40, 0, 0, nullptr},
    {IDC_SMART_ACCOUNT_LABEL /* 1070 */, K::kStatic,        5,  86,  72,   8, 0, IDS_CAMERA_ACCOUNT /* 180 */, nullptr},
    {IDC_SMART_ACCOUNT /* 1067 */, K::kEdit,         84,  83,  82,  14, 0, 0, nullptr},
    {IDC_SMART_PASSWORD_LABEL /* 1071 */, K::kStatic,        5, 101,  72,   8, 0, IDS_CAMERA_PASSWORD /* 181 */, nullptr},
    {IDC_SMART_PASSWORD /* 1068 */, K::kEdit,         84,  99,  82,  14, 0, 0, nullptr},
    {IDC_SMART_UPGRADE /* 1069 */, K::kPushButton,  171,  90,  78,  16, kXP, IDS_UPGRADE_FIRMWARE /* 182 */, nullptr},
    {IDC_SMART_LOG_GROUP /* 1072 */, K::kGroupBox,      1, 116, 253, 114, 0, IDS_OPERATION_LOG /* 183 */, nullptr},
    {IDC_SMART_LOG /* 1073 */, K::kListBox,       3, 126, 250, 102, 0, 0, nullptr},
}};
const DialogTemplate kManual = {IDD_MANUAL_UPGRADE /* 133 */, 316, 96, "MS Shell Dlg", 8, false, {
    {IDC_MANUAL_WEBUI /* 1059 */, K::kRadio,        53,  14, 102,  10, kStyleGroupStart, IDS_WEBUI_FIRMWARE /* 162 */, nullptr},
    {IDC_MANUAL_SYSTEM /* 1060 */, K::kRadio,       170,  14, 102,  10, 0, IDS_SYSTEM_FIRMWARE /* 163 */, nullptr},
    {IDC_MANUAL_FILE_LABEL /* 1063 */, K::kStatic,       12,  33,  36,   8, 0, IDS_FILE /* 164 */, nullptr},
    {IDC_MANUAL_FILE /* 1061 */, K::kEdit,         53,  31, 210,  14, kRO, 0, nullptr},
    {IDC_MANUAL_OPEN /* 1062 */, K::kPushButton,  265,  29,  41,  16, kXP, IDS_OPEN_FILE /* 167 */, nullptr},
    {IDOK /* 1 */, K::kPushButton,   53,  55,  56,  16, kXP, IDS_UPGRADE /* 165 */, nullptr},
    {IDCANCEL /* 2 */, K::kPushButton,  177,  55,  56,  16, kXP, IDS_EXIT /* 166 */, nullptr},
    {IDC_MANUAL_STATUS /* 1064 */, K::kStatic,       12,  77, 290,   8, 0, 0, nullptr},
}};
// clang-format on

}  // namespace

const DialogTemplate* FindDialogTemplate(int id) {
    for (const DialogTemplate* t :
         {&kAbout, &kMain, &kBasic, &kOther, &kLogin, &kSmart, &kManual}) {
        if (t->id == id) return t;
    }
    return nullptr;
}

}  // namespace orvex
