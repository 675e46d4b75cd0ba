#ifndef ATREPORT_H
#define ATREPORT_H

#include "cli/porttask.h"

namespace Report {

// tarnowick-cli at --json: {"port": …, "baud": …, "commands": [{"command":
// "ATNO", "reply": "0"}, …]}; a chain's replies joined by ", ", a command
// never sent with a null reply.
QString atJson(const PortResult &result);

} // namespace Report

#endif // ATREPORT_H
