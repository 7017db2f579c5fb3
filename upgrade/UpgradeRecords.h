#pragma once
// The records an upgrade engine works from, filled by its owner and by its steps.
#include <cstdint>

namespace orvex {

// How to reach and log in to a camera. Texts are zero-terminated in zero-filled fields.
struct CameraLogin {
    char szHost[64];
    int nPort;
    int nNetMode;  // 0 fixed IP, 1 dynamic IP (the owner follows the camera by MAC)
    char szMac[64];
    char szDeviceId[64];  // upgrade: the camera's UID; set-device-id task: the new UID
    char szUser[64];
    char szPassword[64];
};

// What an upgrade run does.
struct UpgradeTask {
    int bUpgradeSystem;
    int bUpgradeWebUi;
    int nCheckMode;   // 2: status read and firmware server first (smart upgrade)
    int nSystemMode;  // 1 upload szSystemFile, 2 the camera downloads, other: fails
    char szVersion[32];
    char szSystemFile[512];
    char szWebUiFile[512];
};

// The parameters of one CGI request.
struct CgiCmdParam {
    int nCmdKind;  // 1 ExecCgiCmd, 2 GetCgiValues, 3 UpgradeFile, 4..8 DownloadFile
    int nTimeout;  // seconds
    int nState;    // 0 before, 1 running, 2 done
    int nResult;   // -1 before; 0 success, else the CGI layer's code
    int nContentLen;
    char szMd5[64];
    char szKeys[132][64];
    int nKeyCount;
    int nSaveMode;
    char szFilePath[256];
    char* pBuffer;
    int nBufferSize;  // bytes the download may write into pBuffer
};

// One CGI request: the credentials it was built with, its URL and parameters.
struct CgiRequest {
    char szUser[32];
    char szPassword[32];
    char szUrl[1024];
    CgiCmdParam params;
    int nValueCount;
};

}  // namespace orvex
