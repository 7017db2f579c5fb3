#include "app/DiscoveryBoxes.h"

#include "discovery/DiscoveryCodec.h"
#include "resources/Resource.h"
#include "ui/UiServices.h"

namespace orvex {

void DiscoveryBoxes::Show(const DiscoveryOutcome& outcome) {
    const std::shared_ptr<State> state = m_state;
    if (outcome.kind == DiscoveryOutcome::kSendFailed) {
        if (state->searchBoxOpen) return;  // the open box says it already
        state->searchBoxOpen = true;
        InformationBox(IDS_SEARCH_SEND_FAILED);
        state->searchBoxOpen = false;
    } else if (outcome.kind == DiscoveryOutcome::kSetReply) {
        if (SetResultTextId(outcome.code) == 0) return;  // a result the window does not show
        if (state->setBoxOpen) {
            state->pendingSetCode = outcome.code;
            return;
        }
        state->setBoxOpen = true;
        for (int code = outcome.code; code != 0;) {
            InformationBox(SetResultTextId(code));
            code = state->pendingSetCode;
            state->pendingSetCode = 0;
        }
        state->setBoxOpen = false;
    }
}

}  // namespace orvex
