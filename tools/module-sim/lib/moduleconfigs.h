#ifndef MODULECONFIGS_H
#define MODULECONFIGS_H

#include "modulecore.h"

struct SimOptions;

// The serial number's low word from the factory: A 40F1A001, B 40F1A002
// and so on to H 40F1A008.
quint32 serialLowOf(QChar letter);
// What a module starts with, from the command line.
ModuleConfig moduleConfigFor(const SimOptions &options, QChar letter);

#endif // MODULECONFIGS_H
