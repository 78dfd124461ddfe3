#pragma once
// The connection test: from the menu (ConnTest) and as a command-line
// request (ReqConnTest, request "HELLO"). It starts an operation on the
// registers, so it sits above the hello handshake it runs.
// The menu's connection test: poll and hello with short time-outs and no
// retries; LinkState is the same afterwards as before. Runs only while the
// main timer is idle.
void ConnTest();
// Queues the connection test's empty command for the current register; in
// batch mode the argument (Core.strReqArg, "file" or "file|mode") names the
// copy file of the hello answer.
bool ReqConnTest();
