#include "scriptedmodule.h"

#include "simulateduser.h"

ScriptedModule::ScriptedModule(FendrakeXBeeConfiguratorDialog &dialog)
{
    QObject::connect(&dialog, &FendrakeXBeeConfiguratorDialog::write_data, &dialog,
                     [this](const QByteArray &data) { answer(data); });
    ready = pty.isValid() && openPort(dialog, pty.slavePath());
}

void ScriptedModule::answer(const QByteArray &data)
{
    bytes.append(data);
    QString entry = QString::fromUtf8(data);
    if (entry.startsWith(QLatin1String("AT")) && entry.endsWith(QLatin1Char('\r')))
        entry = entry.mid(2, entry.size() - 3);
    else if (entry != QLatin1String("+++"))
        return; // data, not a command
    // Like a module, it holds what it acknowledged and answers a query with it.
    const QString reply = held_.contains(entry) ? held_.value(entry) : replies.value(entry, QStringLiteral("OK"));
    if (entry.contains(QLatin1Char('=')) && reply.contains(QLatin1String("OK")))
        held_.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    if (reply != QLatin1String("-"))
        say(reply.toUtf8());
}
