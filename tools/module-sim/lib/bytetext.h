#ifndef BYTETEXT_H
#define BYTETEXT_H

#include <QByteArray>
#include <QString>

// Bytes as a quoted, readable string for the debug log: printable ASCII as
// it is, \r \n \t, \" and \\, every other byte as \xHH.
QString describeBytes(const QByteArray &bytes);

#endif // BYTETEXT_H
