#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

// The line at the bottom of the window says what is happening or what last
// happened; when nothing newer is to be said since the last edit, it names
// the values the module does not hold yet.

void FendrakeXBeeConfiguratorDialog::showStatus(const QString &text)
{
    statusNews = text;
    refreshDifferences();
}

QString FendrakeXBeeConfiguratorDialog::idleStatus(const QStringList &differing) const
{
    if (differing.isEmpty())
        return QString();
    const QString names = differing.join(QLatin1String(", "));
    return differing.size() == 1 ? tr("1 unwritten change: %1.").arg(names)
                                 : tr("%1 unwritten changes: %2.").arg(differing.size()).arg(names);
}
