#include "app/DiscoveryBoxes.h"

#include "discovery/DiscoveryCodec.h"
#include "resources/Resource.h"
#include "ui/UiServices.h"

namespace orvex {

int DiscoveryBoxes::SetReplyText(int code) {
    return code == kSetSuccess    ? IDS_SET_SUCCESS
           : code == kSetBadLogin ? IDS_BAD_LOGIN
                                  : IDS_NO_RIGHTS;
}

void DiscoveryBoxes::Show(const DiscoveryOutcome& outcome) {
    const std::shared_ptr<State> state = m_state;
    if (outcome.kind == DiscoveryOutcome::kSendFailed) {
        if (state->searchBoxOpen) return;  // the open box says it already
        state->searchBoxOpen = true;
        InformationBox(IDS_SEARCH_SEND_FAILED);
        state->searchBoxOpen = false;
    } else if (outcome.kind == DiscoveryOutcome::kSetReply) {
        if (outcome.code < kSetSuccess || outcome.code > kSetNoRights) return;  // shows nothing
        if (state->setBoxOpen) {
            state->pendingSetCode = outcome.code;
            return;
        }
        state->setBoxOpen = true;
        for (int code = outcome.code; code != 0;) {
            InformationBox(SetReplyText(code));
            code = state->pendingSetCode;
            state->pendingSetCode = 0;
        }
        state->setBoxOpen = false;
    }
}

}  // namespace orvex
