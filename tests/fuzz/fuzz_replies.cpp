// Any reply line from a module, to any command of a run, handed to the real
// dialog (offscreen) exactly as the sequencer hands it over: the first byte
// picks the command, the rest is the reply.
#include "app/fendrakexbeeconfiguratordialog.h"
#include "catalogue/atcommands.h"
#include "dialogprobe.h"
#include "isolatedsettings.h"

#include <QApplication>

namespace {

FendrakeXBeeConfiguratorDialog *dialog = nullptr;
QStringList commands;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    static IsolatedSettings settings;
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    dialog = new FendrakeXBeeConfiguratorDialog;
    commands = atCommandList;
    commands += QStringList{"DB", "WR", "ID=3333", "CM=3EFFFC00", ""};
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QString command = commands.at(data[0] % commands.size());
    // The dialog decodes and trims every line before it looks at it.
    const QString reply = QString::fromUtf8(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1)).trimmed();
    DialogProbe(*dialog).parseCommandResponse(command, reply);
    return 0;
}
