#ifndef LOGGING_H
#define LOGGING_H

#include <QLoggingCategory>

// The program's debug output, by subject. Debug messages are off unless
// --verbose (or QT_LOGGING_RULES) turns them on; warnings always show.
Q_DECLARE_LOGGING_CATEGORY(lcSerial) // "tarnowick.serial": bytes and lines on the port, the command-mode dialogue
Q_DECLARE_LOGGING_CATEGORY(lcRange)  // "tarnowick.range": the range test
Q_DECLARE_LOGGING_CATEGORY(lcConfig) // "tarnowick.config": replies taken into the form, profiles
Q_DECLARE_LOGGING_CATEGORY(lcFiles)  // "tarnowick.files": saving and reading files

namespace Logging {

// Turns every debug category of the program on (--verbose).
void enableVerbose();

} // namespace Logging

#endif // LOGGING_H
