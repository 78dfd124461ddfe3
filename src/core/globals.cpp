#include "core/globals.h"

CoreGlobals Core;
