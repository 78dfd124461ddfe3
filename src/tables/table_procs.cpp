#include "tables/table_procs.h"

#include "link/dispatch.h"

void RegisterTableProcs() {
}
