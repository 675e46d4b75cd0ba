#ifndef MODULEMEMORY_H
#define MODULEMEMORY_H

#include "registerbank.h"
#include "registerstore.h"

#include <QList>
#include <utility>

// A register and the value that a command line option starts it with.
using StartValue = std::pair<QByteArray, quint32>;

// A module's non-volatile memory: the registers it starts with, also after
// a power cut. It holds what the store kept for the module with the start
// options on top, as if the module had been set so before, until WR writes
// it, and the store with it.
class ModuleMemory
{
public:
    ModuleMemory(QChar letter, quint32 serialLow, RegisterStore *store, const QList<StartValue> &startValues);

    // As the module starts with them: no packet heard yet.
    const RegisterBank &registers() const;
    // Nothing changes when the store fails.
    bool write(const RegisterBank &bank, QString *error);
    // The factory settings, except a guard time and a command mode timeout
    // given as options: a simulator started with a short guard time keeps
    // it. Kept here even when the store fails.
    bool restoreFactory(QString *error);

private:
    bool store(const RegisterBank &bank, QString *error);

    QChar letter;
    quint32 serialLow;
    RegisterStore *registerStore;
    QList<StartValue> startValues;
    RegisterBank memory;
};

#endif // MODULEMEMORY_H
