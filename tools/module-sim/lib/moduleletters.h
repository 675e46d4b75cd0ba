#ifndef MODULELETTERS_H
#define MODULELETTERS_H

#include <QChar>

// The modules of one simulator are named by letter, A first; a production
// bench has up to eight adapters.
constexpr int MaxModules = 8;

inline QChar moduleLetter(int index)
{
    return QChar(char16_t(u'A' + index));
}

inline int moduleIndex(QChar letter)
{
    return letter.unicode() - u'A';
}

inline bool isModuleLetter(QChar letter)
{
    return moduleIndex(letter) >= 0 && moduleIndex(letter) < MaxModules;
}

#endif // MODULELETTERS_H
