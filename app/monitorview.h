#ifndef MONITORVIEW_H
#define MONITORVIEW_H

#include "logic/monitorlog.h"

#include <QAbstractListModel>

class QLabel;
class QListView;

// The console's monitor on screen. The log takes the serial worker's bytes
// as they come; the list shows the log's lines without a copy of its own,
// and learns of new and dropped lines at most every refresh, so a module
// streaming at 115200 baud costs the window one small update a tenth of a
// second and no memory beyond the log's. A reader scrolled up is left where
// he reads; Ctrl+C copies the selected lines.
class MonitorView : public QAbstractListModel
{
    Q_OBJECT

public:
    MonitorView(QListView *view, QLabel *droppedNote, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    void add(const QList<MonitorChunk> &chunks);
    // Ends a line the wire has left alone and shows what changed, if the view can be seen.
    void refresh(qint64 nowMs);
    void setHex(bool hex);
    void clear();
    const MonitorLog &log() const { return monitorLog; }
    bool hex() const { return asHex; }
    // The lines on screen, as shown.
    QStringList shownLines() const;

private:
    const MonitorLine *lineAt(int row) const;
    void copySelection() const;
    void showDropped();

    QListView *view;
    QLabel *droppedNote;
    MonitorLog monitorLog;
    // The rows the view knows of: the log's lines firstShown … firstShown + rows - 1,
    // counted as MonitorLog::completed() counts them.
    qint64 firstShown = 0;
    int rows = 0;
    bool asHex = false;
};

#endif // MONITORVIEW_H
