#include "logic/modulenames.h"

#include "catalogue/modulesettings.h"
#include "logic/settingvalue.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("NamePattern", text);
}

} // namespace

std::optional<NamePattern> NamePattern::parse(const QString &pattern, int first, QString *problem)
{
    static const QRegularExpression counter(QStringLiteral("\\{n(?::0([1-9]))?\\}"));
    const QRegularExpressionMatch match = counter.match(pattern);
    if (!match.hasMatch() || pattern.count(QLatin1Char('{')) != 1 || pattern.count(QLatin1Char('}')) != 1) {
        *problem = tr("The name pattern %1 needs one counter, {n} or {n:03}.").arg(pattern);
        return std::nullopt;
    }
    if (first < 0) {
        *problem = tr("The first number of the names cannot be negative.");
        return std::nullopt;
    }
    NamePattern parsed;
    parsed.prefix = pattern.left(match.capturedStart());
    parsed.suffix = pattern.mid(match.capturedEnd());
    parsed.width = match.captured(1).toInt();
    *problem = parsed.problemWith(first);
    if (!problem->isEmpty())
        return std::nullopt;
    return parsed;
}

QString NamePattern::name(int number) const
{
    return prefix + QStringLiteral("%1").arg(number, width, 10, QLatin1Char('0')) + suffix;
}

QString NamePattern::problemWith(int number) const
{
    const QString text = name(number);
    if (SettingValue::accepts(*ModuleSettings::find(QStringLiteral("NI")), text))
        return {};
    return tr("The name %1 cannot be a node identifier: up to 20 printable characters, not beginning or ending "
              "with a blank.")
        .arg(text);
}

NameCounter::NameCounter(const NamePattern &pattern, int first)
    : pattern(pattern)
    , first(first)
{
}

int NameCounter::next() const
{
    int number = first;
    while (kept.contains(number) || underWay.contains(number))
        ++number;
    return number;
}

int NameCounter::take()
{
    const int number = next();
    underWay.insert(number);
    return number;
}

void NameCounter::keep(int number)
{
    underWay.remove(number);
    kept.insert(number);
}

void NameCounter::release(int number)
{
    underWay.remove(number);
}
