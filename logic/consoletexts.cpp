#include "logic/consoletexts.h"

#include <cmath>

QString ConsoleText::pause(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    if (seconds < 60)
        return tr("%1 s").arg(double(ms) / 1000.0, 0, 'f', 1);
    if (seconds < 3600)
        return tr("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
    return tr("%1 h %2 min").arg(seconds / 3600).arg(seconds % 3600 / 60);
}

QString ConsoleText::silence(qint64 ms)
{
    return tr("\u2026 %1 silence").arg(pause(ms));
}

QString ConsoleText::droppedLines(qint64 dropped, int kept)
{
    return dropped == 1 ? tr("1 older line dropped; the newest %1 are kept.").arg(kept)
                        : tr("%1 older lines dropped; the newest %2 are kept.").arg(dropped).arg(kept);
}

QString ConsoleText::portOpened(const QString &port, int rate)
{
    return tr("%1 opened at %2 baud").arg(port).arg(rate);
}

QString ConsoleText::portLost(const QString &reason)
{
    return tr("The port stopped working: %1").arg(reason);
}

QString ConsoleText::transparent()
{
    return tr("Transparent mode: what you send goes over the air.");
}

QString ConsoleText::entering()
{
    return tr("Entering command mode\u2026");
}

QString ConsoleText::inCommandMode(qint64 remainingMs)
{
    const auto seconds = qint64(std::ceil(double(qMax<qint64>(0, remainingMs)) / 1000.0));
    return tr("In command mode \u2014 leaves by itself in %1 s").arg(seconds);
}

QString ConsoleText::left()
{
    return tr("Left command mode.");
}

QString ConsoleText::leftByItself()
{
    return tr("The module left command mode by itself: no command came within its time-out (CT).");
}

QString ConsoleText::holdsCommandMode()
{
    return tr("The console is in command mode: leave it first.");
}

QString ConsoleText::rangeTestSending()
{
    return tr("The range test is sending test lines: stop it first.");
}

QString ConsoleText::noPort()
{
    return tr("No port is open.");
}

QString ConsoleText::answered(const QString &line, const QStringList &replies)
{
    return tr("%1 \u2192 %2").arg(line, replies.isEmpty() ? tr("(no reply)") : replies.join(QLatin1String(", ")));
}

QString ConsoleText::rtsFlowControl()
{
    return tr("D6 1 turns on RTS flow control: the module holds back everything it would send unless the PC raises "
              "RTS, and this port runs without flow control, so the module falls silent.");
}

QString ConsoleText::sleeps(const QString &value)
{
    return tr("SM %1 puts the module to sleep: it stops answering and no longer listens to its serial line.")
        .arg(value);
}

QString ConsoleText::shortTimeout(const QString &value, qint64 ms)
{
    return tr("CT %1 leaves command mode %2 after the last command: no time to type the next one.")
        .arg(value, pause(ms));
}

QString ConsoleText::apiMode(const QString &value)
{
    return tr("AP %1 switches the module to API mode: the range test needs transparent mode (AP 0).").arg(value);
}

QString ConsoleText::factorySettings()
{
    return tr("RE puts back the factory settings (9600 baud 8N1, PAN ID 7FFF and every other setting) once they "
              "are applied; WR stores them.");
}

QString ConsoleText::askTitle()
{
    return tr("Send a command");
}

QString ConsoleText::ask(const QString &line, const QStringList &warnings)
{
    return tr("%1 may cut this PC off from the module:\n\n%2").arg(line, warnings.join(QLatin1String("\n\n")));
}

QString ConsoleText::sendAnyway()
{
    return tr("Send anyway");
}

QString ConsoleText::notForced(const QString &line)
{
    return tr("Nothing was sent: %1 may cut this PC off from the module; --force sends it anyway.").arg(line);
}

QString ConsoleText::refused(const QString &line, int notSent)
{
    if (notSent == 0)
        return tr("The module refused %1.").arg(line);
    return notSent == 1 ? tr("The module refused %1; the command after it was not sent.").arg(line)
                        : tr("The module refused %1; the %2 commands after it were not sent.").arg(line).arg(notSent);
}

QString ConsoleText::leavesItself()
{
    return tr("ATCN is not needed: tarnowick-cli at leaves command mode itself after the last command.");
}

QString ConsoleText::interrupted(int sent, int total)
{
    return tr("Interrupted: %1 of %2 commands were sent; the module was told to leave command mode.")
        .arg(sent)
        .arg(total);
}
