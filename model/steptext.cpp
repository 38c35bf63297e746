#include "steptext.h"

#include "showlimits.h"
#include "stepfields.h"

#include <QStringList>

namespace
{
int topOf(int index)
{
    if (index == 0)
        return showLimits::kMaxSpeed;
    return index == 1 ? showLimits::kMaxFade : showLimits::kMaxLevel;
}

// Where the steps end: after the line of the last character that is not blank.
int stepsEnd(const QString &text)
{
    int last = text.size() - 1;
    while (last >= 0 && text.at(last).isSpace())
        --last;
    if (last < 0)
        return 0;
    const int lineEnd = text.indexOf(QLatin1Char('\n'), last);
    return lineEnd < 0 ? text.size() : lineEnd;
}

// The lines without their carriage returns, or why there are too many or one is too long;
// nothing of a text past the limits is copied.
QString splitLines(const QString &text, int room, QStringList &lines)
{
    const int end = stepsEnd(text);
    if (end == 0)
        return QStringLiteral("the clipboard holds no steps");
    const int count = text.leftRef(end).count(QLatin1Char('\n')) + 1;
    if (count > room && room >= showLimits::kMaxRows)
        return QStringLiteral("the clipboard holds %1 steps, more than the %2 rows of a table")
            .arg(count)
            .arg(showLimits::kMaxRows);
    if (count > room)
        return QStringLiteral("the clipboard holds %1 steps, with the %2 in the table more "
                              "than the %3 rows of a table")
            .arg(count)
            .arg(showLimits::kMaxRows - room)
            .arg(showLimits::kMaxRows);
    for (int start = 0, number = 1; start < end; ++number) {
        int stop = text.indexOf(QLatin1Char('\n'), start);
        if (stop < 0 || stop > end)
            stop = end;
        if (stop - start > showLimits::kMaxLineLength)
            return QStringLiteral("line %1 is longer than %2 characters")
                .arg(number)
                .arg(showLimits::kMaxLineLength);
        lines.append(text.mid(start, stop - start).remove(QLatin1Char('\r')));
        start = stop + 1;
    }
    return QString();
}

QString readLine(const QString &line, int number, StepRow &row)
{
    const QStringList fields = line.split(QLatin1Char('\t'));
    if (fields.size() < 2 || fields.size() > showLimits::kMaxValues)
        return QStringLiteral("line %1 has %2; a step has speed, fade and up to %3 levels, "
                              "tab-separated")
            .arg(number)
            .arg(fields.size() == 1 ? QStringLiteral("one field")
                                    : QStringLiteral("%1 fields").arg(fields.size()))
            .arg(showLimits::kMaxChannels);
    const int kept = qMin(fields.size(), row.size() - 1);
    for (int i = 0; i < fields.size(); ++i) {
        int value = 0;
        const QString problem =
            stepFields::read(fields.at(i).trimmed(), number, i, topOf(i), true, value);
        if (!problem.isEmpty())
            return problem;
        if (i < kept)
            row[i + 1] = quint16(value);
    }
    return QString();
}

stepText::readResult refused(const QString &reason)
{
    stepText::readResult result;
    result.error = reason;
    return result;
}
} // namespace

stepText::readResult stepText::read(const QString &text, int columns, int room)
{
    QStringList lines;
    const QString tooLarge = splitLines(text, qMax(0, room), lines);
    if (!tooLarge.isEmpty())
        return refused(tooLarge);
    readResult result;
    result.rows.reserve(lines.size());
    StepRow row(qMax(3, columns));
    for (int i = 0; i < lines.size(); ++i) {
        row.fill(0);
        const QString problem = readLine(lines.at(i), i + 1, row);
        if (!problem.isEmpty())
            return refused(problem);
        result.rows.append(row);
    }
    return result;
}
