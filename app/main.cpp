// Entry point of the program.
#include "shell/ui/app_main.h"

int main(int argc, char** argv) { return Main(argc, argv); }
