#include "logic/jobtexts.h"

#include "logic/baudrates.h"

QString JobText::runEnded(RunResult result)
{
    switch (result) {
    case RunResult::Completed:
        return tr("done");
    case RunResult::NotEntered:
        return tr("the module did not enter command mode");
    case RunResult::ExitRefused:
        return tr("the module did not leave command mode");
    case RunResult::Interrupted:
        return tr("interrupted");
    case RunResult::PortClosed:
        return tr("the port closed");
    case RunResult::LeftByItself:
        return tr("the module left command mode by itself");
    case RunResult::NoEscapeReply:
    case RunResult::NoReply:
        break;
    }
    return tr("the module did not answer");
}

QString JobText::noAnswer()
{
    return tr("The module did not answer. Check the port, the baud rate and the module's power.");
}

QString JobText::notEntered()
{
    return tr("The module did not enter command mode.");
}

QString JobText::exitRefused()
{
    return tr("The module did not leave command mode; nothing it took has taken effect yet. Try again, or switch "
              "the module off and on.");
}

QString JobText::portClosed()
{
    return tr("The port closed before the module had finished.");
}

QString JobText::refused(const QStringList &entries)
{
    return tr("The module refused: %1").arg(entries.join(QLatin1String(", ")));
}

QString JobText::notStored()
{
    return tr("The settings were not stored.");
}

QString JobText::wrote(int settings)
{
    return settings == 1 ? tr("Wrote 1 setting.") : tr("Wrote %1 settings.").arg(settings);
}

QString JobText::portFollowsRate(int rate)
{
    return tr("The port now runs at %1 baud, the module's new rate.").arg(rate);
}

QString JobText::rateUnreachable()
{
    return tr("The module now runs at a rate this port cannot use.");
}

QString JobText::portFollowsFraming(const Framing &framing)
{
    return tr("The port now uses %1, the module's new framing.").arg(framing.text());
}

QString JobText::framingCutOff(const Framing &target, const Framing &current)
{
    if (target.parity != current.parity)
        return tr("This port cannot use %1: writing NB=%2 would cut it off from the module.")
            .arg(target.parityName())
            .arg(target.parity);
    return tr("This port cannot use %1 stop bits: writing SB=%2 would cut it off from the module.")
        .arg(target.stopBits ? tr("two") : tr("one"))
        .arg(target.stopBits);
}

QString JobText::found(int rate)
{
    return tr("Found the module at %1 baud.").arg(rate);
}

QString JobText::searching()
{
    return tr("Searching the baud rates.");
}

QString JobText::searchFailed(const Framing &framing)
{
    return tr("No module answered at %1 baud (%2, up to the longest guard time). The module may be asleep, set to "
              "a framing or rate this port does not offer, in another program's hands, or without power; check the "
              "cable too.")
        .arg(BaudRates::searchOrderText(), framing.text());
}

QString JobText::searchCancelled(int rate)
{
    return tr("Search cancelled; the port is back at %1 baud.").arg(rate);
}

QString JobText::notRecorded(const QString &problem)
{
    return tr("The write was not recorded: %1").arg(problem);
}

QString JobText::recordUnwritable(const QString &problem)
{
    return tr("The programming record cannot be written: %1").arg(problem);
}

QString JobText::interruptedWrite(int sent, int total, bool stored)
{
    return tr("Interrupted: %1 of %2 settings were sent; they are active until the module restarts, %3")
        .arg(sent)
        .arg(total)
        .arg(stored ? tr("all were stored.") : tr("none was stored."));
}

QString JobText::interrupted()
{
    return tr("Interrupted; the module is not left in command mode.");
}

QString JobText::saved(int settings)
{
    return settings == 1 ? tr("Saved 1 setting.") : tr("Saved %1 settings.").arg(settings);
}

QString JobText::fileNotWritten()
{
    return tr("Failed to write file");
}

QString JobText::sameAsProfile()
{
    return tr("Same as the profile.");
}

QString JobText::differsFromProfile(const QString &command, const QString &module, const QString &profile)
{
    return tr("%1: module %2, profile %3").arg(command, module, profile);
}

QString JobText::noValue()
{
    return tr("(no value)");
}
