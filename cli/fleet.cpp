#include "cli/fleet.h"

Fleet::Fleet(const CliOptions &options, const PortOpener &opener, const QString &program, QObject *parent)
    : QObject(parent)
    , options(options)
    , opener(opener)
    , program(program)
{
    QString problem;
    if (const std::optional<NamePattern> pattern = NamePattern::parse(options.namePattern, options.first, &problem))
        names.emplace(*pattern, options.first);
}

QString Fleet::nextName() const
{
    return names ? names->name(names->next()) : QString();
}

void Fleet::add(const QString &port)
{
    if (running.contains(port))
        return;
    auto *task = new PortTask(port, options, opener, program, this);
    QString name;
    if (names) {
        const int number = names->take();
        numbers.insert(task, number);
        name = names->name(number);
        task->setName(name);
    }
    running.insert(port, task);
    connect(task, &PortTask::progress, this, [this, port](const QString &text) { emit progress(port, text); });
    connect(task, &PortTask::finished, this, [this, task](const PortResult &result) { onFinished(task, result); });
    emit started(port, name);
    task->start();
}

void Fleet::interrupt()
{
    for (PortTask *task : std::as_const(running))
        task->interrupt();
}

void Fleet::abandon(const QString &port)
{
    if (PortTask *task = running.value(port))
        task->abandon();
}

void Fleet::onFinished(PortTask *task, const PortResult &result)
{
    running.remove(result.port);
    if (numbers.contains(task)) {
        const int number = numbers.take(task);
        if (result.status == CliDone)
            names->keep(number);
        else
            names->release(number); // the next module takes this name
    }
    task->deleteLater();
    ended.append(result);
    emit finished(result);
}
