#include "cimport.h"

#include <QRegularExpression>
#include <QStringList>
#include <QTextStream>

namespace
{
constexpr int kChannelObjects = 512;

// The lines before the records, in the export's layout: the flag array's declaration, its
// closing line, the size, the record array and its opening brace. Anything else is no
// export of this program and is not read.
bool isExportLayout(const QStringList &lines)
{
    static const QRegularExpression declaration(
        QStringLiteral("^const unsigned char .*_enChange\\[maxSendCh\\] = \\{"));
    static const QRegularExpression size(QStringLiteral("^const unsigned short .*_size = \\d+;"));
    static const QRegularExpression array(QStringLiteral("^const runDmxData .*_Array\\[\\d+\\]"));
    return lines.size() == 6 && declaration.match(lines.at(0)).hasMatch() &&
           lines.at(2).trimmed() == QLatin1String("};") && size.match(lines.at(3)).hasMatch() &&
           array.match(lines.at(4)).hasMatch() && lines.at(5).trimmed() == QLatin1String("{");
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

QByteArray readFlags(const QString &line)
{
    if (line.isEmpty())
        return QByteArray();
    static const QRegularExpression indent(QStringLiteral("    "));
    const QStringList flags = pieces(line, indent);
    const int count = qMin(flags.size(), kChannelObjects);
    QByteArray out(count, '\0');
    for (int i = 0; i < count; ++i)
        out[i] = flags.at(i).toInt(nullptr, 10) == 1 ? 1 : 0;
    return out;
}

// "}" goes with "{" so that a last value written without a comma before the brace keeps
// its value; lines with the comma read the same either way.
StepRow *valuesRow(const QString &line, int columns, int id)
{
    static const QRegularExpression noise(QStringLiteral("[ {}]"));
    const QStringList values = pieces(line, noise);
    auto *row = new StepRow(columns);
    (*row)[0] = static_cast<quint16>(id);
    const int count = qMin(values.size(), columns - 1);
    for (int j = 0; j < count; ++j)
        (*row)[j + 1] = static_cast<quint16>(values.at(j).toInt(nullptr, 10));
    return row;
}
} // namespace

// Positional, like the export it reads: the flag line is found by counting lines and the
// records follow as pairs of a values line and a comment line.
cImport::readResult cImport::read(QIODevice &in, int columns, int firstId)
{
    QTextStream text(&in);
    if (text.readLine().startsWith(QLatin1String("//")))
        text.readLine(); // the include line
    QStringList head;
    for (int i = 0; i < 6; ++i)
        head.append(text.readLine());
    readResult result;
    if (!isExportLayout(head)) {
        result.error = QStringLiteral("not a C export (no flag array, size and record array)");
        return result;
    }
    result.show.flags = readFlags(head.at(1));
    text.readLine(); // the first record's comment

    columns = qMax(3, columns);
    int id = firstId;
    for (;;) {
        const QString line = text.readLine();
        if (line.isNull())
            break;
        // A blank line, as editors leave at the end of a file, is no record.
        if (line.trimmed().isEmpty())
            continue;
        result.show.rows.append(valuesRow(line, columns, id++));
        text.readLine(); // the next record's comment, or the closing "};"
    }
    return result;
}
