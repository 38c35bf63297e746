#include "dmxfile.h"
#include "changeset.h"

#include "cexport.h"
#include "cimport.h"
#include "dim.h"
#include "dimlist.h"
#include "dmx.h"
#include "dmxformat.h"
#include "fixtureblock.h"
#include "fixturelist.h"
#include "light_list.h"
#include "playengine.h"
#include "showlimits.h"
#include "songblock.h"
#include "songstate.h"
#include "steptext.h"
#include "undohistory.h"

#include <QBuffer>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>

namespace
{
constexpr int kChannelObjects = showLimits::kMaxChannels;
// The load operations' answer for a file they did not read; loadData then leaves the model
// alone.
constexpr int kRefused = -1;
// Row number, hold and fade come before the channels in the table.
constexpr int kFixedColumns = 3;

dim *channelAt(dimList *model, int index)
{
    return model->output()->channel(index);
}

// There are only 512 channel objects and a row ends at cell 514, so nothing above 512 has
// anywhere to go.
int clampedChannelCount(dimList *model, int col)
{
    const int count = col < model->columnCount() ? col : model->columnCount() - 1;
    return qBound(0, count, kChannelObjects);
}

// The fixture block's type bytes and the definitions of the fixtures that have one.
void fixtureBlockOf(const QVariantList &types, QByteArray &bytes,
                    QVector<fixtureDef::definition> &definitions)
{
    bytes.clear();
    definitions.clear();
    for (const QVariant &type : types) {
        if (type.userType() == qMetaTypeId<fixtureDef::definition>()) {
            bytes.append(char(fixtureBlock::kDefinitionType));
            definitions.append(type.value<fixtureDef::definition>());
        } else {
            bytes.append(char(qBound(0, type.toInt(), 254)));
        }
    }
}

// The table as the formats write it: its rows and the snap flags of the first channels.
showData tableShow(dimList *model, int channels, const QByteArray &fixtures,
                   const QVector<fixtureDef::definition> &definitions = {},
                   const songLink &song = {})
{
    showData show;
    show.flags.resize(channels);
    for (int i = 0; i < channels; ++i)
        show.flags[i] = channelAt(model, i)->dimEn() ? 1 : 0;
    show.rows = model->steps();
    show.fixtures = fixtures;
    show.definitions = definitions;
    show.song = song;
    return show;
}

// The patch's walk answers for increasing channels from 0, which is how one pass here asks.
QVector<bool> sentChannels(dimList *model, int channels)
{
    light_list *patch = model->output()->patch();
    QVector<bool> sent(channels);
    for (int c = 0; c < channels; ++c)
        sent[c] = patch->mapChannel(c);
    return sent;
}

// Every flag read is announced, changed or not.
void applyFlags(dimList *model, const QByteArray &flags)
{
    for (int i = 0; i < flags.size(); ++i) {
        channelAt(model, i)->setDimEn(flags.at(i) != 0);
        emit channelAt(model, i)->dimEnChanged();
    }
}

void appendRows(dimList *model, const stepTable &rows)
{
    const int first = model->steps().size();
    {
        const changeSet edit;
        model->document().insertRows(first, rows);
    }
    model->changeHistory()->rowsInserted(first, rows.size());
}

// File systems the kernel makes up: they hold no files of ours, whatever the error says.
bool isVirtualFileSystem(const QByteArray &type)
{
    static const QList<QByteArray> kinds{
        "proc", "sysfs",  "debugfs",  "tracefs", "securityfs",  "cgroup", "cgroup2", "configfs",
        "bpf",  "pstore", "efivarfs", "fusectl", "binfmt_misc", "mqueue", "devpts",  "autofs"};
    return kinds.contains(type);
}

// The folder a save goes to, or the nearest one above it that exists.
QString existingFolder(const QString &path)
{
    QDir folder = QFileInfo(path).absoluteDir();
    while (!folder.exists() && !folder.isRoot())
        folder.setPath(QFileInfo(folder.absolutePath()).absolutePath());
    return folder.absolutePath();
}

// The path, the system's reason and, where the folder lies on a virtual file system, that.
QString saveFailure(const QString &path, const QString &reason)
{
    QString text = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
    const QString folder = existingFolder(path);
    const QStorageInfo storage(folder);
    if (storage.isValid() && isVirtualFileSystem(storage.fileSystemType()))
        text += QStringLiteral(" (%1 is on the virtual file system %2, which keeps no files)")
                    .arg(folder, QString::fromLatin1(storage.fileSystemType()));
    return text;
}
} // namespace

dmxFile::dmxFile(dimList *model, QObject *parent) : QObject(parent), m_model(model) {}

dimList *dmxFile::model() const
{
    return m_model ? m_model : g_dimList;
}

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
    fixtureBlockOf(types, m_fixtureTypes, m_fixtureDefinitions);
}

QByteArray dmxFile::showBytes() const
{
    if (model()->steps().size() > showLimits::kMaxRows)
        return QByteArray();
    const int fixtureChannels = model()->fixtures()->columnEnd() - kFixedColumns;
    const int columns = qMax(fixtureChannels, model()->changeHistory()->fileChannels());
    const int channels = qMax(clampedChannelCount(model(), qMin(columns, kChannelObjects)),
                              model()->steps().usedChannels());
    QByteArray types;
    QVector<fixtureDef::definition> definitions;
    fixtureBlockOf(model()->fixtures()->types(), types, definitions);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    // A recovery copy lies elsewhere than the show: it names the song by its absolute path.
    if (!dmxFormat::write(out,
                          tableShow(model(), channels, types, definitions, songFor(QString()))))
        return QByteArray();
    return out.data();
}

// Fixtures from a definition come back as the definition, the others as their type.
QVariantList dmxFile::loadedFixtureTypes() const
{
    QVariantList types;
    int next = 0;
    for (const char type : m_loadedFixtureTypes) {
        if (uchar(type) == fixtureBlock::kDefinitionType && next < m_loadedDefinitions.size())
            types.append(QVariant::fromValue(m_loadedDefinitions.at(next++)));
        else
            types.append(int(uchar(type)));
    }
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
    m_loadedDefinitions.clear();
    m_fixtureBlockDamaged = false;
    m_songBlockDamaged = false;
    replaceFile(path);
    const QByteArray flagsBefore = model()->changeHistory()->snapFlags();
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
        model()->changeHistory()->fileLoaded(flagsBefore, result);
    {
        const changeSet edit;
        model()->setPlayEnd(model()->rowCount() - 1);
    }
    // The views re-read the table and the window hears of the range, as after undo.
    if (m_lastError.isEmpty())
        model()->refrushIndex();
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
        return failSave(saveFailure(out.fileName(), out.errorString()));
    }
    qDebug() << successText << m_file;
    return true;
}

// QSaveFile keeps a write it refused and fails the commit, so the writers' own answer adds
// nothing here.
bool dmxFile::saveDmxFile(QString path, int col)
{
    replaceFile(path);
    // A reader refuses more rows than a table holds, so such a show is not written.
    if (model()->steps().size() > showLimits::kMaxRows)
        return failSave(QStringLiteral("%1: the table has %2 rows, more than the %3 of a show")
                            .arg(QDir::toNativeSeparators(path))
                            .arg(model()->steps().size())
                            .arg(showLimits::kMaxRows));
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        qDebug() << "'.dmx' file save failed:" << path << out.errorString();
        return failSave(saveFailure(path, out.errorString()));
    }
    // A level set by hand outside every fixture is data the table holds: the fixtures' width
    // is the least that is written, never a limit.
    const int channels = qMax(clampedChannelCount(model(), col), model()->steps().usedChannels());
    dmxFormat::write(
        out, tableShow(model(), channels, m_fixtureTypes, m_fixtureDefinitions, songFor(path)));
    return finishSave(out, "'.dmx' file save success:", "'.dmx' file save failed:");
}

int dmxFile::refuseDmxFile(const QString &reason)
{
    qDebug() << "'.dmx' file refused," << qPrintable(reason) << m_file->fileName();
    m_lastError = reason;
    m_file->close();
    return kRefused;
}

int dmxFile::loadDmxFile()
{
    const dmxFormat::readResult read =
        dmxFormat::read(*m_file, model()->columnCount(), model()->rowCount());
    if (read.olderLayout)
        qDebug() << "老dmx格式";
    if (!read.error.isEmpty())
        return refuseDmxFile(read.error);
    if (read.fixturesDamaged)
        qDebug() << "'.dmx' fixture block damaged, rows kept:" << m_file->fileName();
    m_fixtureBlockDamaged = read.fixturesDamaged;
    m_songBlockDamaged = read.songDamaged;
    m_loadedFixtureTypes = read.show.fixtures;
    m_loadedDefinitions = read.show.definitions;
    applyFlags(model(), read.show.flags);
    appendRows(model(), read.show.rows);
    takeSong(read.show.song);
    qDebug() << "'.dmx'file open success:" << m_file;
    m_file->close();
    return read.show.flags.size();
}

songLink dmxFile::songFor(const QString &showFile) const
{
    if (m_song)
        return m_song->linkFor(showFile);
    songLink song = m_loadedSong;
    if (!song.path.isEmpty() && !showFile.isEmpty())
        song.path = songBlock::linkPath(song.path, showFile);
    return song;
}

// A show without a song leaves the song the table has: its rows were appended to others.
void dmxFile::takeSong(const songLink &link)
{
    if (link.path.isEmpty())
        return;
    songLink song = link;
    song.path = songBlock::songFile(link.path, QFileInfo(m_file->fileName()).absoluteFilePath());
    if (m_song)
        m_song->open(song);
    else
        m_loadedSong = song;
}

bool dmxFile::saveCFile(QString path, QString name, int col, int start_row, int end_row)
{
    replaceFile(path);
    const int channels = clampedChannelCount(model(), col);
    const showData show = tableShow(model(), channels, QByteArray());
    cExport::layout range;
    range.id = cExport::identifier(name);
    range.first = start_row;
    range.last = end_row;
    range.stride = model()->between();
    // Checked before the file is opened: an export the player cannot take leaves nothing.
    const QString problem = cExport::problem(show, range);
    if (!problem.isEmpty()) {
        qDebug() << "'.c' file refused:" << path << problem;
        return failSave(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), problem));
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        qDebug() << "'.c' file save failed:" << path << out.errorString();
        return failSave(saveFailure(path, out.errorString()));
    }
    model()->output()->patch()->debugList();
    // An empty table has no record to ask the patch for.
    if (!model()->steps().isEmpty())
        range.sent = sentChannels(model(), channels);
    cExport::write(out, show, range);
    return finishSave(out, "'.c' file save success:", "'.c' file save failed:");
}

int dmxFile::loadCFile()
{
    const cImport::readResult read =
        cImport::read(*m_file, model()->columnCount(), model()->rowCount());
    if (!read.error.isEmpty()) {
        qDebug() << "'.c' file refused, not an export:" << m_file;
        m_lastError = read.error;
        m_file->close();
        return kRefused;
    }
    applyFlags(model(), read.show.flags);
    appendRows(model(), read.show.rows);
    qDebug() << "'.c' file open success:" << m_file;
    m_file->close();
    return read.show.flags.size();
}

QString dmxFile::stepsText(int first, int last, int channels) const
{
    const stepTable &rows = model()->steps();
    if (rows.isEmpty())
        return QString();
    first = qBound(0, first, rows.size() - 1);
    last = qBound(first, last, rows.size() - 1);
    QString text;
    for (int r = first; r <= last; ++r) {
        // Levels a fader wrote beyond the fixture columns are part of the step too.
        int width = qBound(0, channels, kChannelObjects);
        for (int c = rows.channels(); c > width; --c) {
            if (rows.level(r, c - 1) != 0) {
                width = c;
                break;
            }
        }
        QStringList fields{QString::number(rows.speed(r)), QString::number(rows.fade(r))};
        for (int c = 0; c < width; ++c)
            fields << QString::number(rows.level(r, c));
        text += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

int dmxFile::pasteSteps(const QString &text, int at)
{
    m_lastError.clear();
    const stepText::readResult read = stepText::read(
        text, model()->columnCount(), showLimits::kMaxRows - model()->steps().size());
    if (!read.error.isEmpty()) {
        m_lastError = read.error;
        return -1;
    }
    const stepTable &steps = read.rows;
    const int position = qBound(0, at, model()->steps().size());
    {
        const changeSet edit;
        model()->document().insertRows(position, steps);
    }
    model()->changeHistory()->rowsInserted(position, steps.size());
    model()->refrushIndex();
    return steps.size();
}
