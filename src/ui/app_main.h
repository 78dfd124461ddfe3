#pragma once
// The program's entry procedure: the start-up defaults, then batch mode
// (with options on the command line) or the start-up chooser and the main
// window. Returns the process exit status: 0, 1 when a batch run wrote
// lines to the error log, 2 when the command line doesn't parse.
int Main(int argc, char** argv);
