#ifndef HEARDREPLIES_H
#define HEARDREPLIES_H

#include <QByteArray>
#include <QList>

// Picks the receiver's answers to the test lines out of what reaches the
// transmitting module over the radio: "HEARD <counter> <rssi>" or
// "HEARD <counter>", each ended by a carriage return. Packets may split a
// line or carry several; anything else on the air is passed over.
class HeardReplies
{
public:
    // The replies that these bytes complete, without their carriage return.
    QList<QByteArray> feed(const QByteArray &bytes);
    int count() const;

private:
    QByteArray partial;
    bool overlong = false;
    int replies = 0;
};

#endif // HEARDREPLIES_H
