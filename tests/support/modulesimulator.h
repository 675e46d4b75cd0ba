// The simulator can be configured on its own, so the helper that runs it
// lives with its tests; the program's tests use the same one.
#include "../../tools/module-sim/tests/modulesimulator.h"
