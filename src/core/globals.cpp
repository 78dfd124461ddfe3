#include "core/globals.h"

CoreGlobals Core;
#include "core/table_sizes.h"

TableSizes Sizes;
