#include "platform/CriticalSection.h"
