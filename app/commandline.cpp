#include "app/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstring>

namespace {

const char portOption[] = "port";
const char profileOption[] = "profile";
const char verboseOption[] = "verbose";

} // namespace

void describeCommandLine(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QCoreApplication::translate("main", "Sets up and tests XBee 868 MHz radio modules over a serial port."));
    parser.addHelpOption();
    const struct
    {
        const char *name;
        const char *description;
        const char *value;
    } options[] = {
        {portOption,
         QT_TRANSLATE_NOOP("main",
                           "Offer and select the serial port <name> even when the system does not list it "
                           "(for example a virtual port such as /dev/pts/3)."),
         QT_TRANSLATE_NOOP("main", "name")},
        {profileOption,
         QT_TRANSLATE_NOOP("main",
                           "Fill the form from the profile <file> at start-up; an invalid file ends the "
                           "program with status 2."),
         QT_TRANSLATE_NOOP("main", "file")},
    };
    for (const auto &option : options) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(option.name),
                                            QCoreApplication::translate("main", option.description),
                                            QCoreApplication::translate("main", option.value)));
    }
    parser.addOption(QCommandLineOption(
        QString::fromLatin1(verboseOption),
        QCoreApplication::translate("main",
                                    "Print the program's debug output: the dialogue with the module, the range test "
                                    "and the files it reads and writes.")));
}

CommandLine parseCommandLine(const QCoreApplication &app)
{
    QCommandLineParser parser;
    describeCommandLine(parser);
    parser.process(app);
    return CommandLine{parser.value(QString::fromLatin1(portOption)), parser.value(QString::fromLatin1(profileOption)),
                       parser.isSet(QString::fromLatin1(verboseOption))};
}

bool asksForHelp(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (!std::strcmp(arg, "-h") || !std::strcmp(arg, "--help") || !std::strcmp(arg, "-?")
            || !std::strcmp(arg, "--help-all"))
            return true;
    }
    return false;
}
