#pragma once
#include "platform/Types.h"

namespace orvex {

// Window messages of the upgrade pages and dialogs.
constexpr platform::UINT kMsgCloseManualUpgd = 0x7FA;  // the manual run has ended
constexpr platform::UINT kMsgCloseSmartUpgd = 0x7FB;   // the smart run has ended
constexpr platform::UINT kMsgSetUidResult = 0x7FC;     // wParam: the set-UID result code
// A tick's log line or status line: wParam the status it shows, lParam a heap
// std::wstring owned by the receiver. Posted rather than sent, so a window that joins
// its tick thread never waits on a tick that waits for the window.
constexpr platform::UINT kMsgTickText = 0x7FD;

}  // namespace orvex
