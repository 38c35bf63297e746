#include "recoverycopy.h"

#include "dmxformat.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace
{
const QString kDataSuffix = QStringLiteral(".dmx");
const QString kNotesSuffix = QStringLiteral(".json");
const QString kLockSuffix = QStringLiteral(".lock");
const QString kDamagedSuffix = QStringLiteral(".damaged");
// Wide enough for every channel a show file holds.
constexpr int kReadColumns = 515;

qint64 steadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// The new bytes replace the old file only once they are on the disk: a crash at any point
// leaves either the old copy or the new one, never a part.
bool replaceAtomically(const QString &path, const QByteArray &bytes, QString &error)
{
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temporary = target + ".part";
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = QStringLiteral("%1: %2").arg(path, systemError());
        return false;
    }
    const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    if (!written)
        error = QStringLiteral("%1: %2").arg(path, systemError());
    if (::close(fd) != 0 && written)
        error = QStringLiteral("%1: %2").arg(path, systemError());
    if (!error.isEmpty() || ::rename(temporary.constData(), target.constData()) != 0) {
        if (error.isEmpty())
            error = QStringLiteral("%1: %2").arg(path, systemError());
        ::unlink(temporary.constData());
        return false;
    }
    // The rename itself is on the disk once the folder is.
    const int folder = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

// A lock that no process holds belongs to a program that ended; so does a copy without one.
bool ownerRuns(const QString &lockPath)
{
    const int fd = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

QString siblingPath(const QString &dataPath, const QString &suffix)
{
    return dataPath.left(dataPath.size() - kDataSuffix.size()) + suffix;
}

recoveryCopy::orphan readOrphan(const QString &path)
{
    recoveryCopy::orphan found;
    found.path = path;
    found.written = QFileInfo(path).lastModified();
    QFile notes(siblingPath(path, kNotesSuffix));
    if (notes.open(QIODevice::ReadOnly))
        found.showName = QJsonDocument::fromJson(notes.readAll())
                             .object()
                             .value(QStringLiteral("show"))
                             .toString();
    QFile data(path);
    if (!data.open(QIODevice::ReadOnly)) {
        found.error = data.errorString();
        return found;
    }
    const dmxFormat::readResult read = dmxFormat::read(data, kReadColumns, 0);
    if (!read.error.isEmpty())
        found.error = read.error;
    else if (read.fixturesDamaged)
        found.error = QStringLiteral("damaged fixture block");
    found.steps = read.show.rows.size();
    found.fixtures = read.show.fixtures.size();
    return found;
}
} // namespace

bool recoveryCopy::orphan::operator==(const orphan &other) const
{
    return path == other.path && showName == other.showName && written == other.written &&
           steps == other.steps && fixtures == other.fixtures && error == other.error;
}

recoveryCopy::recoveryCopy(const QString &folder, showWriter writer, QObject *parent)
    : QObject(parent), m_folder(folder), m_writer(std::move(writer)), m_now(steadyMs)
{
    // A file size limit must fail the write, not end the program that holds unsaved work.
    std::signal(SIGXFSZ, SIG_IGN);
    const QString id = QStringLiteral("%1-%2")
                           .arg(QCoreApplication::applicationPid())
                           .arg(QDateTime::currentMSecsSinceEpoch());
    const QString base = QDir(folder).filePath(id);
    m_dataPath = base + kDataSuffix;
    m_notesPath = base + kNotesSuffix;
    m_lockPath = base + kLockSuffix;
}

recoveryCopy::~recoveryCopy()
{
    remove();
}

QString recoveryCopy::defaultFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("recovery"));
}

QVector<recoveryCopy::orphan> recoveryCopy::orphans(const QString &folder)
{
    QVector<orphan> found;
    const QDir dir(folder);
    const QStringList names = dir.entryList({QStringLiteral("*") + kDataSuffix}, QDir::Files,
                                            QDir::Time | QDir::Reversed);
    for (const QString &name : names) {
        const QString path = dir.filePath(name);
        if (!ownerRuns(siblingPath(path, kLockSuffix)))
            found << readOrphan(path);
    }
    return found;
}

bool recoveryCopy::setAside(const QString &path)
{
    QFile::remove(path + kDamagedSuffix);
    const bool moved = QFile::rename(path, path + kDamagedSuffix);
    QFile::remove(siblingPath(path, kLockSuffix));
    return moved;
}

bool recoveryCopy::discard(const QString &path)
{
    QFile::remove(siblingPath(path, kNotesSuffix));
    QFile::remove(siblingPath(path, kLockSuffix));
    return QFile::remove(path);
}

void recoveryCopy::setClock(clockSource now)
{
    m_now = std::move(now);
}

void recoveryCopy::setShowName(const QString &name)
{
    m_showName = name;
}

void recoveryCopy::showChanged(bool unsaved)
{
    if (!unsaved) {
        remove();
        return;
    }
    // Changes that follow wait for the copy already due, so steady editing is still copied
    // every kDelayMs.
    if (!m_pending) {
        m_pending = true;
        m_pendingSince = m_now();
    }
}

void recoveryCopy::poll()
{
    if (m_pending && m_now() - m_pendingSince >= kDelayMs)
        write();
}

bool recoveryCopy::writeNow()
{
    return !m_pending || write();
}

bool recoveryCopy::takeLock()
{
    if (m_lockFd >= 0)
        return true;
    QDir().mkpath(m_folder);
    m_lockFd =
        ::open(QFile::encodeName(m_lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_lockFd >= 0 && ::flock(m_lockFd, LOCK_EX | LOCK_NB) == 0)
        return true;
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    m_lockFd = -1;
    return false;
}

bool recoveryCopy::write()
{
    QString error;
    const QByteArray show = m_writer ? m_writer() : QByteArray();
    if (!takeLock())
        error = QStringLiteral("%1: %2").arg(m_lockPath, systemError());
    else if (show.isEmpty())
        error = QStringLiteral("the show could not be written");
    const QByteArray notes = QJsonDocument(QJsonObject{{QStringLiteral("show"), m_showName}})
                                 .toJson(QJsonDocument::Compact);
    const bool written = error.isEmpty() && replaceAtomically(m_dataPath, show, error) &&
                         replaceAtomically(m_notesPath, notes, error);
    if (!written) {
        // Tried again a delay later; the copy on the disk and the show stay as they are.
        m_pendingSince = m_now();
        if (!m_failing)
            emit writeFailed(error);
        m_failing = true;
        return false;
    }
    m_failing = false;
    m_pending = false;
    return true;
}

void recoveryCopy::remove()
{
    m_pending = false;
    m_failing = false;
    if (m_lockFd < 0)
        return;
    QFile::remove(m_dataPath);
    QFile::remove(m_notesPath);
    QFile::remove(m_lockPath);
    ::close(m_lockFd);
    m_lockFd = -1;
}
