#include "cimport.h"

#include "showlimits.h"
#include "stepfields.h"

#include <QIODevice>
#include <QRegularExpression>
#include <QStringList>

namespace
{
constexpr int kChannelObjects = showLimits::kMaxChannels;

// Reads lines no longer than the limit and counts them, so that a refusal can name its line
// and a file without line feeds never has to be held whole. Straight from the device: a text
// stream would buffer ahead far more than a line.
class lineReader
{
  public:
    explicit lineReader(QIODevice &in) : m_in(in) {}

    // False at the end of the text or at a line that is too long (error() says so).
    bool next(QString &line)
    {
        if (!m_error.isEmpty() || m_in.atEnd())
            return false;
        // The line with its "\r\n" and one character more, which tells a long line, into one
        // buffer for every line.
        qint64 size = m_in.readLine(m_buffer, sizeof m_buffer);
        ++m_number;
        size = qMax<qint64>(0, size);
        const bool ended = size > 0 && m_buffer[size - 1] == '\n';
        if (ended)
            size -= size > 1 && m_buffer[size - 2] == '\r' ? 2 : 1;
        line = QString::fromUtf8(m_buffer, int(size));
        if (line.size() > showLimits::kMaxLineLength || (!ended && !m_in.atEnd())) {
            m_error = QStringLiteral("line %1 is longer than %2 characters")
                          .arg(m_number)
                          .arg(showLimits::kMaxLineLength);
            return false;
        }
        return true;
    }

    QString nextOrNull()
    {
        QString line;
        return next(line) ? line : QString();
    }

    int number() const { return m_number; }
    const QString &error() const { return m_error; }

  private:
    QIODevice &m_in;
    char m_buffer[showLimits::kMaxLineLength + 4];
    int m_number = 0;
    QString m_error;
};

// The lines before the records, in the export's layout: the flag array's declaration, its
// closing line, the size, the record array and its opening brace. Empty when they are;
// otherwise which line is not what it should be. `first` is the number of the declaration.
QString layoutProblem(const QStringList &lines, int first, qint64 &records)
{
    static const QRegularExpression declaration(
        QStringLiteral("^const unsigned char .*_enChange\\[maxSendCh\\] = \\{"));
    static const QRegularExpression size(
        QStringLiteral("^const unsigned short .*_size = (\\d{1,9});"));
    static const QRegularExpression array(
        QStringLiteral("^const runDmxData .*_Array\\[(\\d{1,9})\\]"));
    const QString where = QStringLiteral("not a C export: line %1 ");
    if (lines.size() != 6 || !declaration.match(lines.at(0)).hasMatch())
        return where.arg(first) + QStringLiteral("is no flag array (\"const unsigned char "
                                                 "…_enChange[maxSendCh] = {\")");
    if (lines.at(2).trimmed() != QLatin1String("};"))
        return where.arg(first + 2) + QStringLiteral("does not close the flag array (\"};\")");
    const QRegularExpressionMatch sized = size.match(lines.at(3));
    if (!sized.hasMatch())
        return where.arg(first + 3) +
               QStringLiteral("is no record count (\"const unsigned short …_size = N;\")");
    const QRegularExpressionMatch arrayed = array.match(lines.at(4));
    if (!arrayed.hasMatch())
        return where.arg(first + 4) +
               QStringLiteral("is no record array (\"const runDmxData …_Array[N]\")");
    if (lines.at(5).trimmed() != QLatin1String("{"))
        return where.arg(first + 5) + QStringLiteral("does not open the record array (\"{\")");
    records = sized.captured(1).toLongLong();
    if (records > showLimits::kMaxRecords)
        return QStringLiteral("line %1: the size %2 is more than the player's %3 records")
            .arg(first + 3)
            .arg(records)
            .arg(showLimits::kMaxRecords);
    if (arrayed.captured(1).toLongLong() != records)
        return QStringLiteral("line %1: the record array holds %2 records, the size says %3")
            .arg(first + 4)
            .arg(arrayed.captured(1))
            .arg(records);
    return QString();
}

// Pieces of a comma-separated line with the text after the last comma dropped.
QStringList pieces(const QString &line, const QRegularExpression &noise)
{
    QStringList out = line.split(QLatin1Char(','));
    for (QString &piece : out)
        piece.remove(noise);
    out.removeLast();
    return out;
}

// Flags other than 1 clear the channel. Older versions wrote up to two slots past the
// universe, which are dropped; a wider line is no flag line of a show.
QString readFlags(const QString &line, int number, QByteArray &out)
{
    if (line.isEmpty())
        return QString();
    static const QRegularExpression indent(QStringLiteral("    "));
    const QStringList flags = pieces(line, indent);
    if (flags.size() > showLimits::kMaxStoredChannels)
        return QStringLiteral("line %1 has %2 channel flags, more than the %3 of a show")
            .arg(number)
            .arg(flags.size())
            .arg(kChannelObjects);
    const int count = qMin(flags.size(), kChannelObjects);
    out = QByteArray(count, '\0');
    for (int i = 0; i < count; ++i)
        out[i] = flags.at(i).toInt(nullptr, 10) == 1 ? 1 : 0;
    return QString();
}

// "}" goes with "{" so that a last value written without a comma before the brace keeps
// its value; the piece the closing brace leaves behind is no value. Every value must fit
// the player's unsigned short.
QString readValues(const QString &line, int number, StepRow &row)
{
    if (!line.trimmed().startsWith(QLatin1Char('{')))
        return QStringLiteral("line %1 is no record (\"{\" and the values)").arg(number);
    static const QRegularExpression noise(QStringLiteral("[ {}]"));
    QStringList values = pieces(line, noise);
    if (!values.isEmpty() && values.last().isEmpty())
        values.removeLast();
    if (values.size() > showLimits::kMaxValues)
        return QStringLiteral("line %1 has %2 values, more than the %3 of a record (speed, fade "
                              "and %4 channels)")
            .arg(number)
            .arg(values.size())
            .arg(showLimits::kMaxValues)
            .arg(kChannelObjects);
    const int count = qMin(values.size(), row.size() - 1);
    for (int j = 0; j < values.size(); ++j) {
        int value = 0;
        const QString problem =
            stepFields::read(values.at(j), number, j, showLimits::kMaxCellValue, false, value);
        if (!problem.isEmpty())
            return problem;
        if (j < count)
            row[j + 1] = quint16(value);
    }
    return QString();
}

// Sizes the storage once the first record has set the width: for the declared count, checked
// against the player's limit, but never for more records than the rest of the input can hold
// (each value takes at least a digit and a comma), so a short file cannot claim the memory.
void reserveRecords(const QIODevice &in, qint64 records, stepTable &rows)
{
    const qint64 perRecord = 2 * (2 + qint64(rows.channels())) + 3;
    if (!in.isSequential())
        records = qMin(records, in.bytesAvailable() / perRecord + 1);
    rows.reserve(int(records));
}

cImport::readResult refused(const QString &reason)
{
    cImport::readResult result;
    result.error = reason;
    return result;
}

QString tooManyRows(int line, int rowsBefore)
{
    if (rowsBefore <= 0)
        return QStringLiteral("line %1: more records than the %2 rows of a table")
            .arg(line)
            .arg(showLimits::kMaxRows);
    return QStringLiteral("line %1: with the %2 rows in the table, more than the %3 of a table")
        .arg(line)
        .arg(rowsBefore)
        .arg(showLimits::kMaxRows);
}
} // namespace

// Positional, like the export it reads: the flag line is found by counting lines and the
// records follow as pairs of a values line and a comment line.
cImport::readResult cImport::read(QIODevice &in, int columns, int firstId)
{
    lineReader lines(in);
    if (lines.nextOrNull().startsWith(QLatin1String("//")))
        lines.nextOrNull(); // the include line
    const int first = lines.number() + 1;
    QStringList head;
    for (int i = 0; i < 6; ++i)
        head.append(lines.nextOrNull());
    if (!lines.error().isEmpty())
        return refused(lines.error());
    qint64 records = 0;
    const QString layout = layoutProblem(head, first, records);
    if (!layout.isEmpty())
        return refused(layout);
    readResult result;
    const QString flagProblem = readFlags(head.at(1), first + 1, result.show.flags);
    if (!flagProblem.isEmpty())
        return refused(flagProblem);
    lines.nextOrNull(); // the first record's comment

    StepRow row(qMax(3, columns));
    QString line;
    while (lines.next(line)) {
        // A blank line, as editors leave at the end of a file, is no record.
        if (line.trimmed().isEmpty())
            continue;
        if (qint64(firstId) + result.show.rows.size() >= showLimits::kMaxRows)
            return refused(tooManyRows(lines.number(), firstId));
        row.fill(0);
        const QString problem = readValues(line, lines.number(), row);
        if (!problem.isEmpty())
            return refused(problem);
        result.show.rows.append(row);
        if (result.show.rows.size() == 1)
            reserveRecords(in, records, result.show.rows);
        lines.nextOrNull(); // the next record's comment, or the closing "};"
    }
    if (!lines.error().isEmpty())
        return refused(lines.error());
    return result;
}
