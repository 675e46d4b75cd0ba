// Start-up cost of the real main window: milliseconds from the start of the
// process to the first frame painted, and resident memory once it is shown.
#include "../residentmemory.h"
#include "app/fendrakexbeeconfiguratordialog.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

double secondsSinceBoot()
{
    QFile uptime("/proc/uptime");
    if (!uptime.open(QIODevice::ReadOnly))
        return 0;
    return uptime.readAll().split(' ').value(0).toDouble();
}

// When this process started, in seconds since boot.
double processStart()
{
    QFile stat("/proc/self/stat");
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    // Field 22, counted after the command name (which may hold blanks).
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.value(19).toDouble() / double(sysconf(_SC_CLK_TCK));
}

class FirstFrame : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !seen) {
            seen = true;
            const double ms = (secondsSinceBoot() - processStart()) * 1000.0;
            std::printf("startup_ms %.0f\n", ms);
            // Let the window settle before the memory is read.
            QTimer::singleShot(1000, qApp, [] {
                std::printf("rss_mb %.1f\n", residentMegabytes());
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen = false;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Velmorin"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarnowick"));
    FendrakeXBeeConfiguratorDialog dialog;
    FirstFrame firstFrame;
    dialog.installEventFilter(&firstFrame);
    dialog.show();
    return app.exec();
}
