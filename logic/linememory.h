#ifndef LINEMEMORY_H
#define LINEMEMORY_H

#include <QString>

class ModuleLine;

// What one run of tarnowick-cli leaves for the next on the same port: when
// it last wrote and the guard time it measured. A script that reads a module
// right after writing it would otherwise send "+++" inside the module's
// guard time, and be told the module does not answer.
namespace LineMemory {

// Where it is kept for a port: a small file in the temporary folder.
QString fileFor(const QString &portName);
void recall(const QString &portName, ModuleLine &line);
void keep(const QString &portName, const ModuleLine &line);

} // namespace LineMemory

#endif // LINEMEMORY_H
