#pragma once
// Sending the operators ("B" 83) and the waiters ("B" 82) to the register and
// storing them when they are read back ("C" 09 and "C" 15). An operator goes
// out as its number, its two codes, its name and its six rights bytes (ten
// fields); a waiter as its number and name. Both reads copy their table to
// the copy destination of a command-line run.
#include <cstdint>
#include <string>

std::string AnsOpe();
int16_t DataOpe();
std::string AnsCam();
int16_t DataCam();
