#include "app/commandline.h"
#include "app/fendrakexbeeconfiguratordialog.h"
#include "logic/logging.h"
#include "logic/profilefile.h"

#include <QApplication>

#include <cstdio>

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
    if (options.verbose)
        Logging::enableVerbose();

    // Checked before any window or port is opened; the form is filled once the port is restored.
    ProfileReading profile;
    if (!options.profile.isEmpty()) {
        profile = ProfileFile::read(options.profile);
        if (!profile.problem.isEmpty()) {
            std::fprintf(stderr, "tarnowick: %s: %s\n", qUtf8Printable(options.profile),
                         qUtf8Printable(profile.problem));
            return 2;
        }
    }

    FendrakeXBeeConfiguratorDialog dialog;
    if (!options.extraPort.isEmpty())
        dialog.addExtraPort(options.extraPort);
    if (!options.profile.isEmpty())
        dialog.applyProfile(profile.settings, options.profile);
    dialog.show();

    return app.exec();
}
