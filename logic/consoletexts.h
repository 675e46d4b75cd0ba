#ifndef CONSOLETEXTS_H
#define CONSOLETEXTS_H

#include <QCoreApplication>
#include <QStringList>

// What the console in the window and tarnowick-cli at say, each text in
// one place so the two never say it differently.
class ConsoleText
{
    Q_DECLARE_TR_FUNCTIONS(ConsoleText)

public:
    // The monitor
    static QString pause(qint64 ms);   // "1.1 s", "2 min 5 s"
    static QString silence(qint64 ms); // "… 1.1 s silence"
    static QString droppedLines(qint64 dropped, int kept);
    static QString portOpened(const QString &port, int rate);
    static QString portLost(const QString &reason);

    // The state of the stay
    static QString transparent();
    static QString entering();
    static QString inCommandMode(qint64 remainingMs);
    static QString left();
    static QString leftByItself();
    static QString holdsCommandMode();
    static QString rangeTestSending();
    static QString noPort();
    static QString answered(const QString &line, const QStringList &replies);

    // Commands that cut the PC off, each naming what would follow
    static QString rtsFlowControl();
    static QString sleeps(const QString &value);
    static QString shortTimeout(const QString &value, qint64 ms);
    static QString apiMode(const QString &value);
    static QString factorySettings();
    static QString askTitle();
    static QString ask(const QString &line, const QStringList &warnings);
    static QString sendAnyway();
    static QString notForced(const QString &line);

    // How a stay of tarnowick-cli at ended
    static QString refused(const QString &line, int notSent);
    static QString leavesItself();
    static QString interrupted(int sent, int total);
};

#endif // CONSOLETEXTS_H
