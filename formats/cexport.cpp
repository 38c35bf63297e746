#include "cexport.h"

#include "showlimits.h"

#include <QIODevice>

namespace
{
bool put(QIODevice &out, const QByteArray &bytes)
{
    return out.write(bytes) == bytes.size();
}

// The records written for rows first..last: every S-th row plus the closing record when the
// stride steps over the last row. The player plays exactly this many steps.
qint64 recordCount(int first, int last, qint64 stride)
{
    const qint64 span = qAbs(qint64(last) - first);
    return 1 + span / stride + (span % stride != 0 ? 1 : 0);
}

QByteArray flagLines(const QByteArray &id, const QByteArray &flags)
{
    const int channels = flags.size();
    QByteArray text = "//QX,DMX512,version:1\n#include \"dmx.h\"\n";
    text += "const unsigned char " + id + "_enChange[maxSendCh] = {//" +
            QByteArray::number(channels) + "\n    ";
    for (int i = 0; i < channels; ++i)
        text += flags.at(i) ? "1," : "0,";
    // Without channels the list would be an empty initialiser; a lone 0 without a comma
    // keeps it valid C and still reads back as no flags.
    if (channels == 0)
        text += '0';
    text += "\n};\n";
    return text;
}

void appendField(QByteArray &line, quint16 value)
{
    const QByteArray digits = QByteArray::number(value);
    if (digits.size() < 4)
        line.append(4 - digits.size(), ' ');
    line.append(digits).append(',');
}

struct recordWriter {
    QIODevice &out;
    const showData &show;
    const QVector<bool> &sent;
    bool written = true;

    void write(int row, int index, bool closing)
    {
        const stepTable &cells = show.rows;
        QByteArray text = "    //" + QByteArray::number(row) + '-' + QByteArray::number(index);
        if (closing)
            text += " add end";
        text += "\n    {";
        appendField(text, cells.speed(row));
        appendField(text, cells.fade(row));
        const int channels = qMin(show.flags.size(), sent.size());
        for (int c = 1; c <= channels; ++c) {
            if (sent.at(c - 1))
                appendField(text, cells.level(row, c - 1));
        }
        text += "},\n";
        written = put(out, text) && written;
    }
};

// Every S-th row of the range, and the last row of the range as a closing record when the
// stride steps over it.
bool writeRecords(QIODevice &out, const showData &show, const QVector<bool> &sent, int first,
                  int last, qint64 stride)
{
    if (first > last)
        qSwap(first, last);
    recordWriter records{out, show, sent};
    int index = 0;
    qint64 lastWritten = -1;
    for (qint64 r = first; r <= last; r += stride) {
        records.write(int(r), index++, false);
        lastWritten = r;
    }
    if (lastWritten < last)
        records.write(last, index, true);
    return records.written;
}
} // namespace

// The chosen name without ".c" and dots is the prefix of three C identifiers, so whatever
// could not stand in an identifier becomes "_" and a leading digit gets one in front.
QByteArray cExport::identifier(QString name)
{
    name.remove(QStringLiteral(".c"));
    name.remove(QLatin1Char('.'));
    QByteArray id;
    id.reserve(name.size() + 1);
    for (const QChar ch : qAsConst(name)) {
        const ushort u = ch.unicode();
        const bool allowed =
            (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_';
        id.append(allowed ? char(u) : '_');
    }
    if (!id.isEmpty() && id.at(0) >= '0' && id.at(0) <= '9')
        id.prepend('_');
    return id;
}

qint64 cExport::records(const showData &show, const layout &range)
{
    const int rows = show.rows.size();
    if (rows == 0)
        return 1;
    const int first = qBound(0, range.first, rows - 1);
    const int last = qBound(0, range.last, rows - 1);
    return recordCount(first, last, qMax<qint64>(1, range.stride));
}

// The player declares the size an unsigned short and the flag array maxSendCh long; the
// records' values are unsigned 16-bit cells and always fit.
QString cExport::problem(const showData &show, const layout &range)
{
    const qint64 count = records(show, range);
    if (count > showLimits::kMaxRecords)
        return QStringLiteral("the range holds %1 records, more than the %2 the player counts "
                              "(an unsigned short)")
            .arg(count)
            .arg(showLimits::kMaxRecords);
    if (show.flags.size() > showLimits::kMaxChannels)
        return QStringLiteral("%1 channels, more than the player's %2 (maxSendCh)")
            .arg(show.flags.size())
            .arg(showLimits::kMaxChannels);
    return QString();
}

bool cExport::write(QIODevice &out, const showData &show, const layout &range)
{
    if (!problem(show, range).isEmpty())
        return false;
    const int rows = show.rows.size();
    const qint64 stride = qMax<qint64>(1, range.stride);
    const int first = qBound(0, range.first, qMax(rows - 1, 0));
    const int last = qBound(0, range.last, qMax(rows - 1, 0));
    const QByteArray records = QByteArray::number(cExport::records(show, range));
    QByteArray head = flagLines(range.id, show.flags);
    head += "const unsigned short " + range.id + "_size = " + records + ";\n";
    head += "const runDmxData " + range.id + "_Array[" + records + "] =//all count " +
            QByteArray::number(rows) + " between " + QByteArray::number(stride) + "\n{\n";
    const bool written = put(out, head);
    // ISO C allows no empty initialiser, so the one record N names for an empty table is
    // written as zeros, on the closing line where the import does not look for records.
    if (rows == 0)
        return put(out, "    {0}};\n") && written;
    const bool recordsWritten = writeRecords(out, show, range.sent, first, last, stride);
    return put(out, "};\n") && recordsWritten && written;
}
