#pragma once
// The service prompt's check: the service code of the installation is
// setup.ini [Service] "code". A matching code switches service mode on; an
// installation without a code has no service mode.
#include <string>

// True (and ConfigLevel's service mode on) when the typed code matches the
// service code; false, with service mode unchanged, otherwise.
bool CheckServiceCode(const std::string& typed);
