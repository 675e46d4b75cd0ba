#include "app/monitorview.h"

#include "logic/consoletexts.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>

MonitorView::MonitorView(QPlainTextEdit *view, QLabel *droppedNote, QObject *parent)
    : QObject(parent)
    , view(view)
    , droppedNote(droppedNote)
{
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // The document drops its oldest lines as the log does, and keeps no undo
    // steps, so its memory stays flat however long the module streams.
    view->setMaximumBlockCount(MonitorLog::keptLines);
    view->setUndoRedoEnabled(false);
    droppedNote->hide();
}

void MonitorView::add(const QList<MonitorChunk> &chunks)
{
    for (const MonitorChunk &chunk : chunks)
        monitorLog.add(chunk);
}

void MonitorView::refresh(qint64 nowMs)
{
    monitorLog.flush(nowMs);
    if (!view->isVisible())
        return;
    const qint64 fresh = monitorLog.completed() - shownUpTo;
    if (fresh == 0)
        return;
    if (fresh > monitorLog.size()) {
        redraw(); // more came meanwhile than the view keeps
        return;
    }
    QStringList lines;
    lines.reserve(int(fresh));
    for (int i = monitorLog.size() - int(fresh); i < monitorLog.size(); ++i)
        lines.append(MonitorLog::format(monitorLog.at(i), asHex));
    QScrollBar *scroll = view->verticalScrollBar();
    const bool following = scroll->value() == scroll->maximum();
    const int position = scroll->value();
    view->appendPlainText(lines.join(QLatin1Char('\n')));
    scroll->setValue(following ? scroll->maximum() : position);
    shownUpTo = monitorLog.completed();
    showDropped();
}

void MonitorView::redraw()
{
    QStringList lines;
    lines.reserve(monitorLog.size());
    for (int i = 0; i < monitorLog.size(); ++i)
        lines.append(MonitorLog::format(monitorLog.at(i), asHex));
    view->setPlainText(lines.join(QLatin1Char('\n')));
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    shownUpTo = monitorLog.completed();
    showDropped();
}

void MonitorView::setHex(bool hex)
{
    asHex = hex;
    redraw();
}

void MonitorView::clear()
{
    monitorLog.clear();
    view->clear();
    shownUpTo = monitorLog.completed();
    showDropped();
}

void MonitorView::showDropped()
{
    droppedNote->setVisible(monitorLog.dropped() > 0);
    if (monitorLog.dropped() > 0)
        droppedNote->setText(ConsoleText::droppedLines(monitorLog.dropped(), MonitorLog::keptLines));
}
