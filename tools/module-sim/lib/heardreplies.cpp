#include "heardreplies.h"

#include <QRegularExpression>

namespace {

// Far longer than any reply; what grows beyond it is not one.
constexpr int MaxReplyLength = 64;

bool isReply(const QByteArray &line)
{
    static const QRegularExpression reply(QStringLiteral("^HEARD [0-9]+( -?[0-9]+)?$"));
    return reply.match(QString::fromLatin1(line)).hasMatch();
}

} // namespace

QList<QByteArray> HeardReplies::feed(const QByteArray &bytes)
{
    QList<QByteArray> found;
    for (char byte : bytes) {
        if (byte != '\r') {
            overlong = overlong || partial.size() >= MaxReplyLength;
            if (!overlong)
                partial.append(byte);
            continue;
        }
        // A line feed after the carriage return of the line before.
        const QByteArray line = partial.startsWith('\n') ? partial.mid(1) : partial;
        if (!overlong && isReply(line)) {
            found.append(line);
            ++replies;
        }
        partial.clear();
        overlong = false;
    }
    return found;
}

int HeardReplies::count() const
{
    return replies;
}
