#include "app/commandline.h"
#include "app/fendrakexbeeconfiguratordialog.h"

#include <QApplication>

int main(int argc, char **argv)
{
    // --help needs no window system, so it also works on a machine without a display.
    if (asksForHelp(argc, argv)) {
        QCoreApplication helpOnly(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Tarnowick"));
        parseCommandLine(helpOnly);
        return 0;
    }

    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Velmorin"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("velmorin.eu"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarnowick"));
    const CommandLine options = parseCommandLine(app);

    FendrakeXBeeConfiguratorDialog dialog;
    if (!options.extraPort.isEmpty())
        dialog.addExtraPort(options.extraPort);
    dialog.show();

    return app.exec();
}
