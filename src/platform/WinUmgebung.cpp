// Placeholder until the platform services land.
#include "platform/WinUmgebung.h"
