#ifndef PTYPAIR_H
#define PTYPAIR_H

#include <QByteArray>
#include <QString>

// A pseudo-terminal pair: the program opens slavePath() like any serial
// port, the test plays the device on the master side.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isValid() const { return master >= 0; }
    QString slavePath() const { return path; }

    void write(const QByteArray &bytes);
    // What the program has written so far and nobody has read yet; never blocks.
    QByteArray readAvailable();
    int masterHandle() const { return master; }
    // The line speed the program set on its end, in baud (0 if unknown).
    int baudRate() const;
    // Like pulling the adapter out: the program's end then fails to read.
    void closeMaster();
    // Whether the program has its end open.
    bool isPeerOpen() const;

private:
    int master = -1;
    QString path;
};

#endif // PTYPAIR_H
