#pragma once
// The ids of the program's resources, as an MFC project's resource header names them:
// dialog templates (IDD_), controls (IDC_) and strings (IDS_). Controls of different
// dialogs may share a number. The templates and the string table give each number with
// its name beside it, so a search for either finds both.

namespace orvex {

// Dialog templates.
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_ORVEX_DIALOG = 102;
constexpr int IDD_BASIC_INFO = 129;
constexpr int IDD_OTHER_INFO = 130;
constexpr int IDD_LOGIN = 131;
constexpr int IDD_SMART_UPGRADE = 132;
constexpr int IDD_MANUAL_UPGRADE = 133;

// Push buttons every dialog may have.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// The main window (102).
constexpr int IDC_LANGUAGE = 1000;
constexpr int IDC_COMPUTER_GROUP = 1002;
constexpr int IDC_ADAPTER_IP = 1003;
constexpr int IDC_ADAPTER_MASK = 1004;
constexpr int IDC_ADAPTER_GATEWAY = 1005;
constexpr int IDC_ADAPTER_DNS1 = 1006;
constexpr int IDC_ADAPTER_DNS2 = 1007;
constexpr int IDC_ADAPTER_LIST = 1008;
constexpr int IDC_ADAPTER_LABEL = 1009;
constexpr int IDC_ADAPTER_IP_LABEL = 1010;
constexpr int IDC_ADAPTER_MASK_LABEL = 1011;
constexpr int IDC_ADAPTER_GATEWAY_LABEL = 1012;
constexpr int IDC_ADAPTER_DNS1_LABEL = 1013;
constexpr int IDC_ADAPTER_DNS2_LABEL = 1014;
constexpr int IDC_CAMERA_GROUP = 1015;
constexpr int IDC_CAMERA_INFO_GROUP = 1016;
constexpr int IDC_CAMERA_LIST = 1017;
constexpr int IDC_EXPORT = 1018;
constexpr int IDC_CAMERA_COUNT = 1019;
constexpr int IDC_FIND = 1020;
constexpr int IDC_ONE_KEY_SET = 1021;
constexpr int IDC_PAGES = 1022;

// The basic settings page (129).
constexpr int IDC_BASIC_NAME = 1025;
constexpr int IDC_BASIC_INNER_ACCESS = 1026;
constexpr int IDC_BASIC_UID = 1027;
constexpr int IDC_BASIC_PORT_SPIN = 1028;
constexpr int IDC_BASIC_PORT = 1029;
constexpr int IDC_BASIC_NETWORK = 1030;
constexpr int IDC_BASIC_IP = 1031;
constexpr int IDC_BASIC_MASK = 1032;
constexpr int IDC_BASIC_GATEWAY = 1033;
constexpr int IDC_BASIC_DNS1 = 1034;
constexpr int IDC_BASIC_DNS2 = 1035;
constexpr int IDC_BASIC_OPEN = 1036;
constexpr int IDC_BASIC_NAME_LABEL = 1037;
constexpr int IDC_BASIC_PORT_LABEL = 1038;
constexpr int IDC_BASIC_NETWORK_LABEL = 1039;
constexpr int IDC_BASIC_IP_LABEL = 1040;
constexpr int IDC_BASIC_MASK_LABEL = 1041;
constexpr int IDC_BASIC_GATEWAY_LABEL = 1042;
constexpr int IDC_BASIC_DNS1_LABEL = 1043;
constexpr int IDC_BASIC_DNS2_LABEL = 1044;
constexpr int IDC_BASIC_INNER_ACCESS_LABEL = 1045;
constexpr int IDC_BASIC_UID_LABEL = 1046;

// The other information page (130).
constexpr int IDC_OTHER_VERSION = 1046;
constexpr int IDC_OTHER_MAC = 1047;
constexpr int IDC_OTHER_DDNS_PASSWORD = 1048;
constexpr int IDC_OTHER_UID = 1049;
constexpr int IDC_OTHER_VERSION_LABEL = 1050;
constexpr int IDC_OTHER_MAC_LABEL = 1051;
constexpr int IDC_OTHER_DDNS_LABEL = 1052;
constexpr int IDC_OTHER_UID_LABEL = 1053;
constexpr int IDC_MANUAL_UPGRADE = 1054;
constexpr int IDC_SET_UID_LABEL = 1055;
constexpr int IDC_SET_UID_EDIT = 1056;
constexpr int IDC_SET_UID = 1057;

// The login dialog (131).
constexpr int IDC_LOGIN_ACCOUNT = 1055;
constexpr int IDC_LOGIN_PASSWORD = 1056;
constexpr int IDC_LOGIN_ACCOUNT_LABEL = 1057;
constexpr int IDC_LOGIN_PASSWORD_LABEL = 1058;

// The manual upgrade dialog (133).
constexpr int IDC_MANUAL_WEBUI = 1059;
constexpr int IDC_MANUAL_SYSTEM = 1060;
constexpr int IDC_MANUAL_FILE = 1061;
constexpr int IDC_MANUAL_OPEN = 1062;
constexpr int IDC_MANUAL_FILE_LABEL = 1063;
constexpr int IDC_MANUAL_STATUS = 1064;

// The smart upgrade page (132).
constexpr int IDC_SMART_HELP = 1065;
constexpr int IDC_SMART_HELP_ACCOUNT = 1066;
constexpr int IDC_SMART_ACCOUNT = 1067;
constexpr int IDC_SMART_PASSWORD = 1068;
constexpr int IDC_SMART_UPGRADE = 1069;
constexpr int IDC_SMART_ACCOUNT_LABEL = 1070;
constexpr int IDC_SMART_PASSWORD_LABEL = 1071;
constexpr int IDC_SMART_LOG_GROUP = 1072;
constexpr int IDC_SMART_LOG = 1073;

// Strings (English 1033 and Chinese 2052).
constexpr int IDS_ABOUTBOX = 101;
constexpr int IDS_CURRENT_COMPUTER = 102;
constexpr int IDS_NETWORK_ADAPTER = 103;
constexpr int IDS_ADAPTER_IP = 104;
constexpr int IDS_ADAPTER_MASK = 105;
constexpr int IDS_ADAPTER_GATEWAY = 106;
constexpr int IDS_ADAPTER_DNS1 = 107;
constexpr int IDS_ADAPTER_DNS2 = 108;
constexpr int IDS_CAMERAS = 109;
constexpr int IDS_CAMERA_INFORMATION = 110;
constexpr int IDS_COLUMN_MODE = 111;
constexpr int IDS_COLUMN_NAME = 112;
constexpr int IDS_COLUMN_IP = 113;
constexpr int IDS_COLUMN_PORT = 114;
constexpr int IDS_COUNT = 115;
constexpr int IDS_EXPORT = 116;
constexpr int IDS_PROMPT = 117;
constexpr int IDS_NO_ADAPTER = 118;
constexpr int IDS_SEARCH_INIT_FAILED = 119;
constexpr int IDS_THREAD_INIT_FAILED = 120;
constexpr int IDS_SEARCH_SOCKET_FAILED = 121;
constexpr int IDS_SEARCH_SEND_FAILED = 122;
constexpr int IDS_SET_SUCCESS = 123;
constexpr int IDS_BAD_LOGIN = 124;
constexpr int IDS_NO_RIGHTS = 125;
constexpr int IDS_FIND = 126;
constexpr int IDS_ONE_KEY_SET = 127;
constexpr int IDS_APPLY = 128;
constexpr int IDS_CLOSE = 129;
constexpr int IDS_TAB_GENERAL = 130;
constexpr int IDS_TAB_OTHERS = 131;
constexpr int IDS_NAME = 132;
constexpr int IDS_HTTP_PORT = 133;
constexpr int IDS_NETWORK = 134;
constexpr int IDS_IP = 135;
constexpr int IDS_SUB_MASK = 136;
constexpr int IDS_GATEWAY = 137;
constexpr int IDS_PRIMARY_DNS = 138;
constexpr int IDS_SECONDARY_DNS = 139;
constexpr int IDS_INNER_ACCESS = 140;
constexpr int IDS_OPEN_PAGE = 141;
constexpr int IDS_CUSTOM = 142;
constexpr int IDS_AUTO = 143;
constexpr int IDS_VERSION = 144;
constexpr int IDS_MAC = 145;
constexpr int IDS_DDNS_PASSWORD = 146;
constexpr int IDS_UID = 147;
constexpr int IDS_MANUAL_UPGRADE = 148;
constexpr int IDS_FIXED_IP = 149;
constexpr int IDS_DYNAMIC_IP = 150;
constexpr int IDS_NOT_FIXED_IP = 151;
constexpr int IDS_CONFIRM_ONE_KEY_SET = 152;
constexpr int IDS_LOGIN_TITLE = 153;
constexpr int IDS_ACCOUNT = 154;
constexpr int IDS_PASSWORD = 155;
constexpr int IDS_OK = 156;
constexpr int IDS_CANCEL = 157;
constexpr int IDS_APP_TITLE = 158;
constexpr int IDS_ABOUT_TITLE = 159;
constexpr int IDS_TAB_SMART_UPGRADE = 160;
constexpr int IDS_MANUAL_TITLE = 161;
constexpr int IDS_WEBUI_FIRMWARE = 162;
constexpr int IDS_SYSTEM_FIRMWARE = 163;
constexpr int IDS_FILE = 164;
constexpr int IDS_UPGRADE = 165;
constexpr int IDS_EXIT = 166;
constexpr int IDS_OPEN_FILE = 167;
constexpr int IDS_NO_FILE = 168;
constexpr int IDS_CANNOT_CONNECT = 169;
constexpr int IDS_WEBUI_UPLOADING = 170;
constexpr int IDS_WEBUI_REBOOTING = 171;
constexpr int IDS_WEBUI_FAILED = 172;
constexpr int IDS_SYSTEM_UPGRADING = 173;
constexpr int IDS_SYSTEM_REBOOTING = 174;
constexpr int IDS_SYSTEM_FAILED = 175;
constexpr int IDS_UPGRADE_COMPLETE = 176;
constexpr int IDS_OTHER_ERROR = 177;
constexpr int IDS_SMART_HELP = 178;
constexpr int IDS_SMART_HELP_ACCOUNT = 179;
constexpr int IDS_CAMERA_ACCOUNT = 180;
constexpr int IDS_CAMERA_PASSWORD = 181;
constexpr int IDS_UPGRADE_FIRMWARE = 182;
constexpr int IDS_OPERATION_LOG = 183;
constexpr int IDS_DEVICE_CONNECTED = 184;
constexpr int IDS_CURRENT_VERSION = 185;
constexpr int IDS_LATEST_VERSION = 186;
constexpr int IDS_LATEST_VERSION_FAILED = 187;
constexpr int IDS_BEGIN_UPGRADE = 188;
constexpr int IDS_UPGRADE_CANCELLED = 189;
constexpr int IDS_CONFIRM_SAME_VERSION = 190;
constexpr int IDS_FILE_SELECTION_ERROR = 191;
constexpr int IDS_SET = 192;
constexpr int IDS_SET_UID = 193;
constexpr int IDS_SET_UID_DONE = 194;
constexpr int IDS_SET_UID_FAILED = 195;
constexpr int IDS_UID_EMPTY = 196;
constexpr int IDS_UID_BAD_FORMAT = 197;
constexpr int IDS_PATH_TOO_LONG = 198;
constexpr int IDS_THREAD_REFUSED = 199;
constexpr int IDS_LIST_BUSY = 200;
constexpr int IDS_EXPORT_FAILED = 201;
constexpr int IDS_JOURNAL_FAILED = 202;
constexpr int IDS_SITE_BUSY = 203;
constexpr int IDS_FIRMWARE_REFUSED = 204;
constexpr int IDS_FIRMWARE_UNREADABLE = 205;
constexpr int IDS_FIRMWARE_NOT_FILE = 206;
constexpr int IDS_FIRMWARE_EMPTY = 207;
constexpr int IDS_FIRMWARE_TOO_LARGE = 208;
constexpr int IDS_FIRMWARE_TEXT = 209;
constexpr int IDS_FIRMWARE_BLANK = 210;
constexpr int IDS_FIRMWARE_SUMMARY = 211;
constexpr int IDS_ONVIF_READ_ONLY = 212;

}  // namespace orvex
