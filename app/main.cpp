// Entry point of the program.
#include "ui/app_main.h"

int main(int argc, char** argv) { return Main(argc, argv); }
