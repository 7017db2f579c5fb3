#pragma once
#include "tools/orvexctl/SetArguments.h"

namespace orvexctl {

// orvexctl set --protocol onvif: reads each ONVIF camera named with --host (its clock, MAC
// and settings), plans the change with every check a native set makes (and refuses a new
// address something already answers at), then sets each camera through its device service
// and verifies it by reading it again where it is to be; reported and journaled as a
// native set is.
int RunOnvifSet(const SetArguments& arguments);

}  // namespace orvexctl
