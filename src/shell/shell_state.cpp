#include "shell/shell_state.h"

ShellGlobals ShellState;
