#include "logic/logging.h"

Q_LOGGING_CATEGORY(lcSerial, "tarnowick.serial", QtWarningMsg)
Q_LOGGING_CATEGORY(lcRange, "tarnowick.range", QtWarningMsg)
Q_LOGGING_CATEGORY(lcConfig, "tarnowick.config", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFiles, "tarnowick.files", QtWarningMsg)

namespace Logging {

void enableVerbose()
{
    QLoggingCategory::setFilterRules(QStringLiteral("tarnowick.*.debug=true"));
}

} // namespace Logging
