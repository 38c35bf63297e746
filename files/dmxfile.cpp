#include "dmxfile.h"

#include "dim.h"
#include "dimlist.h"
#include "dmx.h"
#include "light_list.h"
#include "playengine.h"
#include "undohistory.h"

#include <QDataStream>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextStream>
#include <QtEndian>

#include <climits>

namespace
{
constexpr int kChannelObjects = 512;
constexpr int kDmxHeaderSize = 29;
constexpr int kRecordHead = 4; // speed and fade, 16 bits each
constexpr qint8 kDmxVersion = 1;
constexpr qint64 kSliceBytes = 128 * 1024;
// The load operations' answer for a file they did not read; loadData then leaves the model
// alone.
constexpr int kRefused = -1;
// The fixture block follows the last row: this tag, a signed 32-bit count of the bytes after
// it, then one byte per fixture, its type index, in the order the fixtures were added.
// A reader that stops after the R rows never sees it.
constexpr char kFixtureTag[8] = {'F', 'I', 'X', 'T', 'U', 'R', 'E', 'S'};
constexpr int kFixtureHead = 12;

dim *channelAt(int index)
{
    return static_cast<dim *>(g_dimList->m_dmx->m_dims.at(index));
}

// There are only 512 channel objects and a row ends at cell 514, so nothing above 512 has
// anywhere to go.
int clampedChannelCount(int col)
{
    const int count = col < g_dimList->m_columns ? col : g_dimList->m_columns - 1;
    return qBound(0, count, kChannelObjects);
}

constexpr int kWidenBlock = 16;

void widenBlock(const uchar *__restrict from, quint16 *__restrict to)
{
    for (int k = 0; k < kWidenBlock; ++k)
        to[k] = from[k];
}

// Blocks of a fixed size with restrict let the compiler vectorise the copy even at -O2;
// it is a large part of the cost of loading a big show.
void widenLevels(const uchar *from, quint16 *to, int count)
{
    int c = 0;
    for (; c + kWidenBlock <= count; c += kWidenBlock)
        widenBlock(from + c, to + c);
    for (; c < count; ++c)
        to[c] = from[c];
}

StepRow *makeRow(const uchar *record, int kept, int id)
{
    auto *row = new StepRow(g_dimList->m_columns); // zero-filled
    quint16 *cells = row->data();
    cells[0] = static_cast<quint16>(id);
    cells[1] = qFromBigEndian<quint16>(record);
    cells[2] = qFromBigEndian<quint16>(record + 2);
    widenLevels(record + kRecordHead, cells + 3, kept);
    return row;
}

// Reads the records a slice at a time so that each slice is still in cache when it is
// widened into rows. False when the file ends early.
bool readDmxRows(QIODevice &in, qint32 rows, qint64 recordSize, int kept, int firstId,
                 QList<StepRow *> &out)
{
    const qint64 perSlice = qMax<qint64>(1, kSliceBytes / recordSize);
    out.reserve(rows);
    QByteArray slice;
    for (qint64 k = 0; k < rows; k += perSlice) {
        const qint64 count = qMin<qint64>(perSlice, rows - k);
        slice.resize(int(count * recordSize));
        if (in.read(slice.data(), slice.size()) != slice.size())
            return false;
        const uchar *record = reinterpret_cast<const uchar *>(slice.constData());
        for (qint64 i = 0; i < count; ++i, record += recordSize)
            out.append(makeRow(record, kept, int(firstId + k + i)));
    }
    return true;
}

bool isCurrentLayout(const char *tag, qint8 version)
{
    return tag[0] == 'Q' && tag[1] == 'X' && tag[2] == '\0' && version == kDmxVersion;
}

void writeDmxHeader(QIODevice &out, int channels, int rows)
{
    static const char tag[10] = {'Q', 'X'};
    static const char format[10] = {'D', 'M', 'X', '5', '1', '2'};
    QDataStream stream(&out);
    stream.writeRawData(tag, sizeof tag);
    stream.writeRawData(format, sizeof format);
    stream << kDmxVersion << qint32(channels) << qint32(rows);
}

void writeFixtureBlock(QIODevice &out, const QByteArray &types)
{
    if (types.isEmpty())
        return;
    QDataStream stream(&out);
    stream.writeRawData(kFixtureTag, sizeof kFixtureTag);
    stream << qint32(types.size());
    stream.writeRawData(types.constData(), types.size());
}

void writeDmxBody(QIODevice &out, int channels)
{
    QByteArray flags(channels, '\0');
    for (int i = 0; i < channels; ++i)
        flags[i] = channelAt(i)->dimEn() ? 1 : 0;
    out.write(flags);

    QByteArray record(kRecordHead + channels, '\0');
    uchar *bytes = reinterpret_cast<uchar *>(record.data());
    for (const StepRow *row : qAsConst(g_dimList->m_data)) {
        qToBigEndian<quint16>(row->value(1), bytes);
        qToBigEndian<quint16>(row->value(2), bytes + 2);
        for (int c = 0; c < channels; ++c)
            bytes[kRecordHead + c] = static_cast<uchar>(row->value(c + 3) & 0xff);
        out.write(record);
    }
}

// The chosen name without ".c" and dots is the prefix of three C identifiers, so whatever
// could not stand in an identifier becomes "_" and a leading digit gets one in front.
QByteArray cIdentifier(QString name)
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

// The records written for rows first..last: every S-th row plus the closing record when the
// stride steps over the last row. The player plays exactly this many steps.
qint64 recordCount(int first, int last, qint64 stride)
{
    const qint64 span = qAbs(qint64(last) - first);
    return 1 + span / stride + (span % stride != 0 ? 1 : 0);
}

// The lines before the records, in the export's layout: the flag array's declaration, its
// closing line, the size, the record array and its opening brace. Anything else is no
// export of this program and is not read.
bool isCExportLayout(const QStringList &lines)
{
    static const QRegularExpression declaration(
        QStringLiteral("^const unsigned char .*_enChange\\[maxSendCh\\] = \\{"));
    static const QRegularExpression size(QStringLiteral("^const unsigned short .*_size = \\d+;"));
    static const QRegularExpression array(QStringLiteral("^const runDmxData .*_Array\\[\\d+\\]"));
    return lines.size() == 6 && declaration.match(lines.at(0)).hasMatch() &&
           lines.at(2).trimmed() == QLatin1String("};") && size.match(lines.at(3)).hasMatch() &&
           array.match(lines.at(4)).hasMatch() && lines.at(5).trimmed() == QLatin1String("{");
}

QByteArray cHeader(const QByteArray &id, int channels)
{
    QByteArray text = "//QX,DMX512,version:1\n#include \"dmx.h\"\n";
    text += "const unsigned char " + id + "_enChange[maxSendCh] = {//" +
            QByteArray::number(channels) + "\n    ";
    for (int i = 0; i < channels; ++i)
        text += channelAt(i)->dimEn() ? "1," : "0,";
    // Without channels the list would be an empty initialiser; a lone 0 without a comma
    // keeps it valid C and still reads back as no flags.
    if (channels == 0)
        text += '0';
    text += "\n};\n";
    return text;
}

void appendCField(QByteArray &line, quint16 value)
{
    const QByteArray digits = QByteArray::number(value);
    if (digits.size() < 4)
        line.append(4 - digits.size(), ' ');
    line.append(digits).append(',');
}

QByteArray cRecord(int row, int index, int channels, bool closing)
{
    const StepRow &cells = *g_dimList->m_data.at(row);
    light_list *patch = g_dimList->m_dmx->m_lightList;
    QByteArray text = "    //" + QByteArray::number(row) + '-' + QByteArray::number(index);
    if (closing)
        text += " add end";
    text += "\n    {";
    appendCField(text, cells.value(1));
    appendCField(text, cells.value(2));
    // The patch walk restarts at channel 0 and must see the channels of a row in order.
    for (int c = 1; c <= channels; ++c) {
        if (patch->mapChannel(c - 1))
            appendCField(text, cells.value(c + 2));
    }
    text += "},\n";
    return text;
}

// Every S-th row of the range, and the last row of the range as a closing record when the
// stride steps over it.
void writeCRecords(QIODevice &out, int channels, int first, int last, qint64 stride)
{
    if (first > last)
        qSwap(first, last);
    int index = 0;
    qint64 written = -1;
    for (qint64 r = first; r <= last; r += stride) {
        out.write(cRecord(int(r), index++, channels, false));
        written = r;
    }
    if (written < last)
        out.write(cRecord(last, index, channels, true));
}

// Pieces of a comma-separated line with the text after the last comma dropped.
QStringList cPieces(const QString &line, const QRegularExpression &noise)
{
    QStringList pieces = line.split(QLatin1Char(','));
    for (QString &piece : pieces)
        piece.remove(noise);
    pieces.removeLast();
    return pieces;
}

int readCFlags(const QString &line)
{
    if (line.isEmpty())
        return 0;
    static const QRegularExpression indent(QStringLiteral("    "));
    const QStringList pieces = cPieces(line, indent);
    const int count = qMin(pieces.size(), kChannelObjects);
    for (int i = 0; i < count; ++i) {
        channelAt(i)->setDimEn(pieces.at(i).toInt(nullptr, 10) == 1);
        emit channelAt(i)->dimEnChanged();
    }
    return count;
}

// "}" goes with "{" so that a last value written without a comma before the brace keeps
// its value; lines with the comma read the same either way.
StepRow *cValuesRow(const QString &line, int id)
{
    static const QRegularExpression noise(QStringLiteral("[ {}]"));
    const QStringList pieces = cPieces(line, noise);
    auto *row = new StepRow(g_dimList->m_columns);
    (*row)[0] = static_cast<quint16>(id);
    const int count = qMin(pieces.size(), g_dimList->m_columns - 1);
    for (int j = 0; j < count; ++j)
        (*row)[j + 1] = static_cast<quint16>(pieces.at(j).toInt(nullptr, 10));
    return row;
}
constexpr int kSpeedMax = 9999;
constexpr int kFadeMax = 255;
constexpr int kLevelMax = 255;

// One line of pasted steps; false when a field is not a number or there are too many.
bool parseStepLine(const QString &line, StepRow &row)
{
    const QStringList fields = line.split(QLatin1Char('\t'));
    if (fields.size() < 2 || fields.size() > g_dimList->m_columns - 1)
        return false;
    for (int i = 0; i < fields.size(); ++i) {
        bool ok = false;
        const int value = fields.at(i).trimmed().toInt(&ok, 10);
        if (!ok || value < 0)
            return false;
        const int top = i == 0 ? kSpeedMax : i == 1 ? kFadeMax : kLevelMax;
        row[i + 1] = quint16(qMin(value, top));
    }
    return true;
}
} // namespace

dmxFile::dmxFile(QObject *parent) : QObject(parent) {}

dmxFile::~dmxFile()
{
    delete m_file;
}

QString dmxFile::saveTarget(QUrl name, QString selectedNameFilter) const
{
    QString path = name.toLocalFile();
    const bool typedDmx = path.endsWith(QLatin1String(".dmx"));
    const bool typedC = path.endsWith(QLatin1String(".c"));
    if (typedDmx || typedC)
        return path;
    if (selectedNameFilter.contains(QLatin1String("*.c")))
        return path + QLatin1String(".c");
    if (selectedNameFilter.contains(QLatin1String("*.dmx")))
        return path + QLatin1String(".dmx");
    return QString();
}

bool dmxFile::fileExists(QString path) const
{
    return QFileInfo::exists(path);
}

void dmxFile::setFixtureTypes(const QVariantList &types)
{
    m_fixtureTypes.clear();
    for (const QVariant &type : types)
        m_fixtureTypes.append(char(qBound(0, type.toInt(), 255)));
}

QVariantList dmxFile::loadedFixtureTypes() const
{
    QVariantList types;
    for (const char type : m_loadedFixtureTypes)
        types.append(int(uchar(type)));
    return types;
}

void dmxFile::replaceFile(const QString &path)
{
    delete m_file;
    m_file = new QFile(path);
}

bool dmxFile::saveData(QUrl name, int col, int start_row, int end_row, QString selectedNameFilter)
{
    QString path = name.toLocalFile();
    qDebug() << "file url:" << name << "Name" << path << "FileName:" << name.fileName()
             << selectedNameFilter;
    m_lastError.clear();
    path = saveTarget(name, selectedNameFilter);
    if (path.endsWith(QLatin1String(".c")))
        return saveCFile(path, name.fileName(), col, start_row, end_row);
    if (path.endsWith(QLatin1String(".dmx")))
        return saveDmxFile(path, col);
    return failSave(QStringLiteral("no .dmx or .c format chosen"));
}

bool dmxFile::failSave(const QString &reason)
{
    m_lastError = reason;
    return false;
}

int dmxFile::loadData(QUrl name)
{
    const QString path = name.toLocalFile();
    const QString fileName = name.fileName();
    qDebug() << "file url:" << name << "Name" << path << "FileName:" << fileName;
    m_lastError.clear();
    m_loadedFixtureTypes.clear();
    m_fixtureBlockDamaged = false;
    replaceFile(path);
    const QByteArray flagsBefore = g_dimList->m_history->snapFlags();
    int result = 0;
    if (!m_file->open(QIODevice::ReadOnly)) {
        m_lastError = m_file->errorString();
    } else if (fileName.endsWith(QLatin1String(".c"))) {
        result = loadCFile();
    } else if (fileName.endsWith(QLatin1String(".dmx"))) {
        result = loadDmxFile();
    } else {
        m_lastError = QStringLiteral("not a .dmx or .c file");
        m_file->close();
    }
    if (result == kRefused)
        return 0;
    if (m_lastError.isEmpty())
        g_dimList->m_history->fileLoaded(flagsBefore, result);
    const auto held = playEngine::lock();
    g_dimList->m_playEnd = g_dimList->rowCount() - 1;
    return result;
}

// Writes go to a temporary file that replaces the old one only once it is complete, so a
// failed save never costs the user the previous version.
bool dmxFile::finishSave(QSaveFile &out, const char *successText, const char *failureText)
{
    // A failed flush of the last buffered bytes is not always seen by commit() itself.
    if (!out.flush())
        out.cancelWriting();
    if (!out.commit()) {
        qDebug() << failureText << out.fileName() << out.errorString();
        return failSave(out.errorString());
    }
    qDebug() << successText << m_file;
    return true;
}

bool dmxFile::saveDmxFile(QString path, int col)
{
    replaceFile(path);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        qDebug() << "'.dmx' file save failed:" << path << out.errorString();
        return failSave(out.errorString());
    }
    const int channels = clampedChannelCount(col);
    writeDmxHeader(out, channels, g_dimList->rowCount());
    writeDmxBody(out, channels);
    writeFixtureBlock(out, m_fixtureTypes);
    return finishSave(out, "'.dmx' file save success:", "'.dmx' file save failed:");
}

int dmxFile::refuseDmxFile(const char *reason)
{
    qDebug() << "'.dmx' file refused," << reason << m_file->fileName();
    m_lastError = QString::fromLatin1(reason);
    m_file->close();
    return kRefused;
}

// A block that is not whole or not ours is set aside; the rows before it are good.
void dmxFile::readFixtureBlock(const QByteArray &rest)
{
    if (rest.isEmpty())
        return;
    const qint32 length = rest.size() >= kFixtureHead
                              ? qFromBigEndian<qint32>(rest.constData() + sizeof kFixtureTag)
                              : -1;
    if (!rest.startsWith(QByteArray(kFixtureTag, sizeof kFixtureTag)) ||
        length != rest.size() - kFixtureHead) {
        qDebug() << "'.dmx' fixture block damaged, rows kept:" << m_file->fileName();
        m_fixtureBlockDamaged = true;
        return;
    }
    m_loadedFixtureTypes = rest.mid(kFixtureHead);
}

int dmxFile::loadDmxFile()
{
    const qint64 fileSize = m_file->size();
    QDataStream in(m_file);
    char tag[10] = {};
    char format[10] = {};
    qint8 version = 0;
    in.readRawData(tag, sizeof tag);
    in.readRawData(format, sizeof format);
    in >> version;
    if (fileSize == 0)
        return refuseDmxFile("empty file");
    if (!isCurrentLayout(tag, version)) {
        qDebug() << "老dmx格式";
        return refuseDmxFile("older layout or not a show file");
    }

    qint32 channels = 0;
    qint32 rows = 0;
    in >> channels >> rows;
    if (in.status() != QDataStream::Ok)
        return refuseDmxFile("damaged, header cut short");
    if (channels < 0 || rows < 0)
        return refuseDmxFile("damaged, negative count");
    // Everything is checked against the file's length before the model is touched, so a
    // damaged file changes nothing and its counts never drive an allocation on their own.
    const qint64 recordSize = kRecordHead + qint64(channels);
    const qint64 bodySize = channels + qint64(rows) * recordSize;
    if (fileSize - kDmxHeaderSize < bodySize)
        return refuseDmxFile("damaged, shorter than its counts");
    if (recordSize > INT_MAX - 64)
        return refuseDmxFile("too large");

    const QByteArray flags = m_file->read(channels);
    const int kept = qMin(channels, qMin(kChannelObjects, g_dimList->m_columns - 3));
    QList<StepRow *> loaded;
    if (flags.size() != channels ||
        !readDmxRows(*m_file, rows, recordSize, kept, g_dimList->rowCount(), loaded)) {
        qDeleteAll(loaded);
        return refuseDmxFile("damaged, read failed");
    }
    readFixtureBlock(m_file->readAll());

    for (int i = 0; i < kept; ++i) {
        channelAt(i)->setDimEn(flags.at(i) != 0);
        emit channelAt(i)->dimEnChanged();
    }
    const int first = g_dimList->m_data.size();
    {
        const auto held = playEngine::lock();
        g_dimList->m_data.append(loaded);
    }
    g_dimList->m_history->rowsInserted(first, loaded.size());
    qDebug() << "'.dmx'file open success:" << m_file;
    m_file->close();
    return kept;
}

bool dmxFile::saveCFile(QString path, QString name, int col, int start_row, int end_row)
{
    replaceFile(path);
    const QByteArray id = cIdentifier(name);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        qDebug() << "'.c' file save failed:" << path << out.errorString();
        return failSave(out.errorString());
    }
    const int channels = clampedChannelCount(col);
    const int rows = g_dimList->rowCount();
    const qint64 stride = qMax<qint64>(1, g_dimList->m_between);

    const int first = qBound(0, start_row, qMax(rows - 1, 0));
    const int last = qBound(0, end_row, qMax(rows - 1, 0));
    const QByteArray records = QByteArray::number(rows == 0 ? 1 : recordCount(first, last, stride));
    out.write(cHeader(id, channels));
    out.write("const unsigned short " + id + "_size = " + records + ";\n");
    out.write("const runDmxData " + id + "_Array[" + records + "] =//all count " +
              QByteArray::number(rows) + " between " + QByteArray::number(stride) + "\n{\n");
    g_dimList->m_dmx->m_lightList->debugList();

    if (rows == 0) {
        // ISO C allows no empty initialiser, so the one record N names for an empty table is
        // written as zeros, on the closing line where the import does not look for records.
        out.write("    {0}};\n");
    } else {
        writeCRecords(out, channels, first, last, stride);
        out.write("};\n");
    }
    return finishSave(out, "'.c' file save success:", "'.c' file save failed:");
}

// Positional, like the export it reads: the flag line is found by counting lines and the
// records follow as pairs of a values line and a comment line.
int dmxFile::loadCFile()
{
    QTextStream in(m_file);
    if (in.readLine().startsWith(QLatin1String("//")))
        in.readLine(); // the include line
    QStringList head;
    for (int i = 0; i < 6; ++i)
        head.append(in.readLine());
    if (!isCExportLayout(head)) {
        qDebug() << "'.c' file refused, not an export:" << m_file;
        m_lastError = QStringLiteral("not a C export (no flag array, size and record array)");
        m_file->close();
        return kRefused;
    }
    const int flags = readCFlags(head.at(1));
    in.readLine(); // the first record's comment

    const int first = g_dimList->rowCount();
    int id = first;
    for (;;) {
        const QString line = in.readLine();
        if (line.isNull())
            break;
        // A blank line, as editors leave at the end of a file, is no record.
        if (line.trimmed().isEmpty())
            continue;
        StepRow *row = cValuesRow(line, id++);
        const auto held = playEngine::lock();
        g_dimList->m_data.append(row);
        in.readLine(); // the next record's comment, or the closing "};"
    }
    g_dimList->m_history->rowsInserted(first, id - first);
    qDebug() << "'.c' file open success:" << m_file;
    m_file->close();
    return flags;
}

QString dmxFile::stepsText(int first, int last, int channels) const
{
    const QList<StepRow *> &rows = g_dimList->m_data;
    if (rows.isEmpty())
        return QString();
    first = qBound(0, first, rows.size() - 1);
    last = qBound(first, last, rows.size() - 1);
    QString text;
    for (int r = first; r <= last; ++r) {
        const StepRow &row = *rows.at(r);
        // Levels a fader wrote beyond the fixture columns are part of the step too.
        int width = qBound(0, channels, kChannelObjects);
        for (int c = kChannelObjects; c > width; --c) {
            if (row.value(c + 2) != 0) {
                width = c;
                break;
            }
        }
        QStringList fields{QString::number(row.value(1)), QString::number(row.value(2))};
        for (int c = 1; c <= width; ++c)
            fields << QString::number(row.value(c + 2) & 0xff);
        text += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

int dmxFile::pasteSteps(const QString &text, int at)
{
    m_lastError.clear();
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines)
        line.remove(QLatin1Char('\r'));
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    if (lines.isEmpty()) {
        m_lastError = QStringLiteral("the clipboard holds no steps");
        return -1;
    }
    QList<StepRow *> steps;
    for (int i = 0; i < lines.size(); ++i) {
        auto *row = new StepRow(g_dimList->m_columns);
        steps.append(row);
        if (!parseStepLine(lines.at(i), *row)) {
            qDeleteAll(steps);
            m_lastError = QStringLiteral("line %1 is not a step (speed, fade and levels as "
                                         "tab-separated numbers)")
                              .arg(i + 1);
            return -1;
        }
    }
    const int position = qBound(0, at, g_dimList->m_data.size());
    {
        const auto held = playEngine::lock();
        for (int i = 0; i < steps.size(); ++i)
            g_dimList->m_data.insert(position + i, steps.at(i));
    }
    g_dimList->m_history->rowsInserted(position, steps.size());
    return steps.size();
}
