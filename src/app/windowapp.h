#pragma once

#include "app/commandline.h"

namespace natalix {

// Starts the program with its windows; returns when the program ends.
int runWindowApp(int argc, char* argv[], const CommandLine& cl);

} // namespace natalix
