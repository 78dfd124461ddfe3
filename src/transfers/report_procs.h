#pragma once
// Registers with the dispatcher the procedures of the option groups, the
// keyboard, receipt header and icon periods, the receipt history, the
// closure, the plain acknowledgement and the report writers.
void RegisterReportProcs();
