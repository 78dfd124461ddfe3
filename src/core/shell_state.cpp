#include "core/shell_state.h"

ShellGlobals ShellState;
