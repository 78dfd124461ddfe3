#pragma once
// Registers every table's answer and data procedures with the dispatcher.
// Called once at start-up (and by tests that run transfers).
void RegisterTableProcs();
