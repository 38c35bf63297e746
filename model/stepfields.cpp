#include "stepfields.h"

#include "showlimits.h"

QString stepFields::name(int index)
{
    if (index == 0)
        return QStringLiteral("speed");
    if (index == 1)
        return QStringLiteral("fade");
    return QStringLiteral("channel %1").arg(index - 1);
}

QString stepFields::read(const QString &field, int line, int index, int top, bool clamp, int &value)
{
    const QString where = QStringLiteral("line %1, %2: ").arg(line).arg(name(index));
    if (field.size() > showLimits::kMaxFieldLength)
        return where + QStringLiteral("a field of %1 characters, more than the %2 allowed")
                           .arg(field.size())
                           .arg(showLimits::kMaxFieldLength);
    bool digitsOnly = !field.isEmpty();
    for (const QChar ch : field)
        digitsOnly = digitsOnly && ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
    // Sixteen digits fit in 64 bits, so the comparison with the top sees the whole number.
    const qint64 number = digitsOnly ? field.toLongLong() : -1;
    if (number < 0 || (number > top && !clamp))
        return where +
               QStringLiteral("\"%1\" is not a whole number from 0 to %2").arg(field).arg(top);
    value = int(qMin<qint64>(number, top));
    return QString();
}
