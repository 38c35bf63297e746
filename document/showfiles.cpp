#include "showfiles.h"
#include "changeset.h"

#include "cexport.h"
#include "cimport.h"
#include "dmxformat.h"
#include "editwindow.h"
#include "fixtureblock.h"
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
constexpr int kColumns = kFixedColumns + kChannelObjects;

// There are only 512 channel objects and a row ends at cell 514, so nothing above 512 has
// anywhere to go.
int clampedChannelCount(int col)
{
    const int count = col < kColumns ? col : kColumns - 1;
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
showData tableShow(editWindow &window, int channels, const QByteArray &fixtures,
                   const QVector<fixtureDef::definition> &definitions = {},
                   const songLink &song = {})
{
    showData show;
    show.flags = window.document().snapFlags().left(channels);
    show.rows = window.document().steps();
    show.fixtures = fixtures;
    show.definitions = definitions;
    show.song = song;
    return show;
}

void appendRows(editWindow &window, const stepTable &rows)
{
    const int first = window.document().steps().size();
    {
        const changeSet edit;
        window.document().insertRows(first, rows);
    }
    window.changeHistory()->rowsInserted(first, rows.size());
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

showFiles::showFiles(std::function<editWindow &()> window, QObject *parent)
    : QObject(parent), m_window(std::move(window))
{
}

showFiles::~showFiles()
{
    delete m_file;
}

QString showFiles::saveTarget(QUrl name, QString selectedNameFilter) const
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

bool showFiles::fileExists(QString path) const
{
    return QFileInfo::exists(path);
}

void showFiles::setFixtureTypes(const QVariantList &types)
{
    fixtureBlockOf(types, m_fixtureTypes, m_fixtureDefinitions);
}

QByteArray showFiles::showBytes() const
{
    if (window().document().steps().size() > showLimits::kMaxRows)
        return QByteArray();
    const int fixtureChannels = window().fixtureColumns().columnEnd() - kFixedColumns;
    const int columns = qMax(fixtureChannels, window().changeHistory()->fileChannels());
    const int channels = qMax(clampedChannelCount(qMin(columns, kChannelObjects)),
                              window().document().steps().usedChannels());
    QByteArray types;
    QVector<fixtureDef::definition> definitions;
    fixtureBlockOf(window().fixtureColumns().types(), types, definitions);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    // A recovery copy lies elsewhere than the show: it names the song by its absolute path.
    if (!dmxFormat::write(out,
                          tableShow(window(), channels, types, definitions, songFor(QString()))))
        return QByteArray();
    return out.data();
}

// The views re-read the table and the window hears of the range, as after undo.
void showFiles::viewsReread()
{
    window().rowsRewritten();
    window().settle(true);
}

// Fixtures from a definition come back as the definition, the others as their type.
QVariantList showFiles::loadedFixtureTypes() const
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

void showFiles::replaceFile(const QString &path)
{
    delete m_file;
    m_file = new QFile(path);
}

bool showFiles::saveData(QUrl name, int col, int start_row, int end_row, QString selectedNameFilter)
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

bool showFiles::failSave(const QString &reason)
{
    m_lastError = reason;
    return false;
}

int showFiles::loadData(QUrl name)
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
    const QByteArray flagsBefore = window().changeHistory()->snapFlags();
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
        window().changeHistory()->fileLoaded(flagsBefore, result);
    {
        const changeSet edit;
        window().document().setPlayEnd(window().document().steps().size() - 1);
    }
    // The views re-read the table and the window hears of the range, as after undo.
    if (m_lastError.isEmpty())
        viewsReread();
    return result;
}

// Writes go to a temporary file that replaces the old one only once it is complete, so a
// failed save never costs the user the previous version.
bool showFiles::finishSave(QSaveFile &out, const char *successText, const char *failureText)
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
bool showFiles::saveDmxFile(QString path, int col)
{
    replaceFile(path);
    // A reader refuses more rows than a table holds, so such a show is not written.
    if (window().document().steps().size() > showLimits::kMaxRows)
        return failSave(QStringLiteral("%1: the table has %2 rows, more than the %3 of a show")
                            .arg(QDir::toNativeSeparators(path))
                            .arg(window().document().steps().size())
                            .arg(showLimits::kMaxRows));
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        qDebug() << "'.dmx' file save failed:" << path << out.errorString();
        return failSave(saveFailure(path, out.errorString()));
    }
    // A level set by hand outside every fixture is data the table holds: the fixtures' width
    // is the least that is written, never a limit.
    const int channels = qMax(clampedChannelCount(col), window().document().steps().usedChannels());
    dmxFormat::write(
        out, tableShow(window(), channels, m_fixtureTypes, m_fixtureDefinitions, songFor(path)));
    return finishSave(out, "'.dmx' file save success:", "'.dmx' file save failed:");
}

int showFiles::refuseDmxFile(const QString &reason)
{
    qDebug() << "'.dmx' file refused," << qPrintable(reason) << m_file->fileName();
    m_lastError = reason;
    m_file->close();
    return kRefused;
}

int showFiles::loadDmxFile()
{
    const dmxFormat::readResult read =
        dmxFormat::read(*m_file, kColumns, window().document().steps().size());
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
    window().readSnapFlags(read.show.flags);
    appendRows(window(), read.show.rows);
    takeSong(read.show.song);
    qDebug() << "'.dmx'file open success:" << m_file;
    m_file->close();
    return read.show.flags.size();
}

songLink showFiles::songFor(const QString &showFile) const
{
    if (m_song)
        return m_song->linkFor(showFile);
    songLink song = m_loadedSong;
    if (!song.path.isEmpty() && !showFile.isEmpty())
        song.path = songBlock::linkPath(song.path, showFile);
    return song;
}

// A show without a song leaves the song the table has: its rows were appended to others.
void showFiles::takeSong(const songLink &link)
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

bool showFiles::saveCFile(QString path, QString name, int col, int start_row, int end_row)
{
    replaceFile(path);
    const int channels = clampedChannelCount(col);
    const showData show = tableShow(window(), channels, QByteArray());
    cExport::layout range;
    range.id = cExport::identifier(name);
    range.first = start_row;
    range.last = end_row;
    range.stride = window().document().between();
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
    // An empty table has no record to ask the patch for.
    if (!window().document().steps().isEmpty())
        range.sent = window().sentChannels(channels);
    cExport::write(out, show, range);
    return finishSave(out, "'.c' file save success:", "'.c' file save failed:");
}

int showFiles::loadCFile()
{
    const cImport::readResult read =
        cImport::read(*m_file, kColumns, window().document().steps().size());
    if (!read.error.isEmpty()) {
        qDebug() << "'.c' file refused, not an export:" << m_file;
        m_lastError = read.error;
        m_file->close();
        return kRefused;
    }
    window().readSnapFlags(read.show.flags);
    appendRows(window(), read.show.rows);
    qDebug() << "'.c' file open success:" << m_file;
    m_file->close();
    return read.show.flags.size();
}

QString showFiles::stepsText(int first, int last, int channels) const
{
    const stepTable &rows = window().document().steps();
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

int showFiles::pasteSteps(const QString &text, int at)
{
    m_lastError.clear();
    const stepText::readResult read =
        stepText::read(text, kColumns, showLimits::kMaxRows - window().document().steps().size());
    if (!read.error.isEmpty()) {
        m_lastError = read.error;
        return -1;
    }
    const stepTable &steps = read.rows;
    const int position = qBound(0, at, window().document().steps().size());
    {
        const changeSet edit;
        window().document().insertRows(position, steps);
    }
    window().changeHistory()->rowsInserted(position, steps.size());
    viewsReread();
    return steps.size();
}
