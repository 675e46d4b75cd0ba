#include "scriptedmodule.h"

#include "simulateduser.h"

#include "logic/configentries.h"

ScriptedModule::ScriptedModule(FendrakeXBeeConfiguratorDialog &dialog)
{
    QObject::connect(&dialog, &FendrakeXBeeConfiguratorDialog::write_data, &dialog,
                     [this](const QByteArray &data) { bytes.append(data); });
    if (pty.isValid()) {
        readable = std::make_unique<QSocketNotifier>(pty.masterHandle(), QSocketNotifier::Read);
        QObject::connect(readable.get(), &QSocketNotifier::activated, readable.get(), [this] { onReadable(); });
    }
    ready = pty.isValid() && openPort(dialog, pty.slavePath());
}

void ScriptedModule::onReadable()
{
    received += pty.readAvailable();
    const QByteArray escape("+++");
    while (!received.isEmpty()) {
        if (received.startsWith(escape)) {
            received.remove(0, escape.size());
            answer(escape);
            continue;
        }
        if (escape.startsWith(received))
            return; // the rest of "+++" is still on its way
        const qsizetype end = received.indexOf('\r');
        if (end < 0)
            return;
        answer(received.left(end + 1));
        received.remove(0, end + 1);
    }
}

void ScriptedModule::answer(const QByteArray &data)
{
    QString entry = QString::fromUtf8(data);
    if (entry.startsWith(QLatin1String("AT")) && entry.endsWith(QLatin1Char('\r')))
        entry = entry.mid(2, entry.size() - 3);
    else if (entry != QLatin1String("+++"))
        return; // data, not a command
    // Like a module, it holds what it acknowledged and answers a query with it.
    const QString reply = holds.contains(entry) ? holds.value(entry)
        : held_.contains(entry)                 ? held_.value(entry)
                                                : replies.value(entry, QStringLiteral("OK"));
    const std::optional<QPair<QString, QString>> set = parseWriteEntry(entry);
    if (set && reply.contains(QLatin1String("OK")))
        held_.insert(set->first, set->second);
    if (reply != QLatin1String("-"))
        say(reply.toUtf8());
}
