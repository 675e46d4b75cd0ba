#include "app/monitorview.h"

#include "logic/consoletexts.h"

#include <QAction>
#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QListView>
#include <QScrollBar>

MonitorView::MonitorView(QListView *view, QLabel *droppedNote, QObject *parent)
    : QAbstractListModel(parent)
    , view(view)
    , droppedNote(droppedNote)
{
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view->setUniformItemSizes(true);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setModel(this);
    auto *copy = new QAction(tr("Copy"), view);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &MonitorView::copySelection);
    view->addAction(copy);
    view->setContextMenuPolicy(Qt::ActionsContextMenu);
    droppedNote->hide();
}

int MonitorView::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows;
}

const MonitorLine *MonitorView::lineAt(int row) const
{
    // The log may have dropped a line the view has not yet been told of.
    const qint64 index = firstShown + row - (monitorLog.completed() - monitorLog.size());
    return index >= 0 && index < monitorLog.size() ? &monitorLog.at(int(index)) : nullptr;
}

QVariant MonitorView::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    const MonitorLine *line = lineAt(index.row());
    return line ? MonitorLog::format(*line, asHex) : QString();
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
    const qint64 firstKept = monitorLog.completed() - monitorLog.size();
    const qint64 end = monitorLog.completed();
    if (firstKept == firstShown && end == firstShown + rows)
        return;
    QScrollBar *scroll = view->verticalScrollBar();
    const bool following = scroll->value() == scroll->maximum();
    if (firstKept >= firstShown + rows) {
        // Everything shown has gone meanwhile.
        beginResetModel();
        firstShown = firstKept;
        rows = monitorLog.size();
        endResetModel();
    } else {
        if (firstKept > firstShown) {
            beginRemoveRows({}, 0, int(firstKept - firstShown) - 1);
            rows -= int(firstKept - firstShown);
            firstShown = firstKept;
            endRemoveRows();
        }
        if (end > firstShown + rows) {
            beginInsertRows({}, rows, int(end - firstShown) - 1);
            rows = int(end - firstShown);
            endInsertRows();
        }
    }
    if (following)
        view->scrollToBottom();
    showDropped();
}

void MonitorView::setHex(bool hex)
{
    asHex = hex;
    if (rows > 0)
        emit dataChanged(index(0), index(rows - 1));
}

void MonitorView::clear()
{
    beginResetModel();
    monitorLog.clear();
    firstShown = monitorLog.completed();
    rows = 0;
    endResetModel();
    showDropped();
}

QStringList MonitorView::shownLines() const
{
    QStringList lines;
    for (int row = 0; row < rows; ++row)
        lines.append(data(index(row)).toString());
    return lines;
}

void MonitorView::copySelection() const
{
    QModelIndexList selected = view->selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end());
    QStringList lines;
    for (const QModelIndex &row : std::as_const(selected))
        lines.append(row.data().toString());
    if (!lines.isEmpty())
        QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void MonitorView::showDropped()
{
    droppedNote->setVisible(monitorLog.dropped() > 0);
    if (monitorLog.dropped() > 0)
        droppedNote->setText(ConsoleText::droppedLines(monitorLog.dropped(), MonitorLog::keptLines));
}
