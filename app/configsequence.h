#ifndef CONFIGSEQUENCE_H
#define CONFIGSEQUENCE_H

// The command-mode sequencer keeps its state in plain integers; these name them.
enum CommandState {
    StateIdle = 0,
    StateSendEscape = 1,
    StateAwaitEscapeReply = 2,
    StateSendCommand = 3,
    StateAwaitCommandReply = 4,
    StateSendExit = 5,
    StateAwaitExitReply = 6,
    StateFinished = 7,
    StateFailed = 8,
};

enum RunType {
    RunNone = 0,
    RunRead = 1,
    RunWrite = 2,
    RunRssiQuery = 3,
};

#endif // CONFIGSEQUENCE_H
