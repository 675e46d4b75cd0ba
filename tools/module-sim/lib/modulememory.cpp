#include "modulememory.h"

ModuleMemory::ModuleMemory(QChar letter, quint32 serialLow, RegisterStore *store, const QList<StartValue> &startValues)
    : letter(letter)
    , serialLow(serialLow)
    , registerStore(store)
    , startValues(startValues)
    , memory(serialLow)
{
    QString ignored;
    // The store checked its contents when it was loaded.
    if (store)
        memory.restore(store->storedRegisters(letter), &ignored);
    // The options win over what was stored.
    for (const auto &[name, value] : startValues)
        memory.set(name, QByteArray::number(value, 16));
}

const RegisterBank &ModuleMemory::registers() const
{
    return memory;
}

bool ModuleMemory::write(const RegisterBank &bank, QString *error)
{
    if (!store(bank, error))
        return false;
    memory = bank;
    memory.setReadOnly("DB", 0);
    return true;
}

bool ModuleMemory::restoreFactory(QString *error)
{
    memory = RegisterBank(serialLow);
    for (const auto &[name, value] : startValues) {
        if (name == "GT" || name == "CT")
            memory.set(name, QByteArray::number(value, 16));
    }
    return store(memory, error);
}

bool ModuleMemory::store(const RegisterBank &bank, QString *error)
{
    return !registerStore || registerStore->store(letter, bank.storedState(), error);
}
