#ifndef USERLEVEL_H
#define USERLEVEL_H

#include <QtGlobal>

// How much of the Settings tab a user sees. The values leave room for a
// level between the two that the profile selector offers.
enum UserLevel : qint32 {
    Beginner = 1,
    Guru = 3,
};

#endif // USERLEVEL_H
