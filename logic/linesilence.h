#ifndef LINESILENCE_H
#define LINESILENCE_H

#include <QElapsedTimer>

// When the program last wrote to the module. A module takes "+++" as the way
// into command mode only after its guard time of silence on the serial line
// (1 s from the factory); the extra 100 ms cover bytes still on their way
// through the adapter.
class LineSilence
{
public:
    static constexpr int guardMs = 1100;

    void noteWrite() { lastWrite.start(); }

    // How long "+++" must still wait; 0 once the line has been quiet long enough.
    int remainingMs() const { return lastWrite.isValid() ? int(qMax<qint64>(0, guardMs - lastWrite.elapsed())) : 0; }

private:
    QElapsedTimer lastWrite;
};

#endif // LINESILENCE_H
