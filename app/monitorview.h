#ifndef MONITORVIEW_H
#define MONITORVIEW_H

#include "logic/monitorlog.h"

#include <QObject>

class QLabel;
class QPlainTextEdit;

// The console's monitor on screen: the log takes the serial worker's bytes
// as they come, the view shows its new lines at most every refresh, so a
// module streaming at 115200 baud costs the window one small edit a tenth
// of a second. A reader scrolled up is left where he reads.
class MonitorView : public QObject
{
    Q_OBJECT

public:
    MonitorView(QPlainTextEdit *view, QLabel *droppedNote, QObject *parent = nullptr);

    void add(const QList<MonitorChunk> &chunks);
    // Ends a line the wire has left alone and shows what is new, if the view can be seen.
    void refresh(qint64 nowMs);
    void setHex(bool hex);
    void clear();
    const MonitorLog &log() const { return monitorLog; }
    bool hex() const { return asHex; }

private:
    void redraw();
    void showDropped();

    QPlainTextEdit *view;
    QLabel *droppedNote;
    MonitorLog monitorLog;
    qint64 shownUpTo = 0; // lines of the log completed when the view last caught up
    bool asHex = false;
};

#endif // MONITORVIEW_H
