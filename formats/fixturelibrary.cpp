#include "fixturelibrary.h"

#include "oflreader.h"
#include "qxfreader.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>

namespace
{
bool isDefinitionName(const QString &name)
{
    if (name.endsWith(QLatin1String(".qxf"), Qt::CaseInsensitive))
        return true;
    // The tree's own index files are not fixtures.
    return name.endsWith(QLatin1String(".json"), Qt::CaseInsensitive) &&
           name != QLatin1String("manufacturers.json") && name != QLatin1String("register.json");
}

// An OFL fixture's manufacturer is its folder: a key into the tree's manufacturers.json, or
// for a loose file whose folder holds no such list, nothing (the file may name it itself).
QString oflManufacturer(const QFileInfo &file)
{
    const QDir folder = file.dir();
    QDir top = folder;
    if (!top.cdUp())
        return QString();
    QFile list(top.filePath(QStringLiteral("manufacturers.json")));
    if (!list.open(QIODevice::ReadOnly))
        return QString();
    const QHash<QString, QString> names = oflReader::readManufacturers(list);
    return names.value(folder.dirName(), folder.dirName());
}

fixtureLibrary::entry summarise(const QString &path)
{
    fixtureLibrary::entry made;
    made.file = path;
    const fixtureDef::readResult read = fixtureLibrary::readFile(path);
    made.error = read.error;
    made.manufacturer = read.def.manufacturer;
    made.model = read.def.model;
    made.type = read.def.type;
    for (const fixtureDef::mode &mode : read.def.modes)
        made.modes << fixtureLibrary::modeSummary{mode.name, mode.channels.size()};
    return made;
}
} // namespace

fixtureLibrary::fixtureLibrary(QObject *parent) : QObject(parent) {}

fixtureLibrary::~fixtureLibrary()
{
    if (m_worker) {
        m_worker->wait();
        delete m_worker;
    }
}

QStringList fixtureLibrary::defaultFolders()
{
    const QString home = QDir::homePath();
    return {QStringLiteral("/usr/share/qlcplus/fixtures"),
            home + QStringLiteral("/.qlcplus/fixtures"),
            home + QStringLiteral("/.local/share/dmxplayer/fixtures")};
}

fixtureDef::readResult fixtureLibrary::readFile(const QString &path)
{
    fixtureDef::readResult result;
    const QFileInfo info(path);
    if (!isDefinitionName(info.fileName())) {
        result.error = QStringLiteral("neither a .qxf nor an Open Fixture Library .json file");
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("cannot be read: %1").arg(file.errorString());
        return result;
    }
    if (info.suffix().compare(QLatin1String("qxf"), Qt::CaseInsensitive) == 0)
        return qxfReader::read(file);
    return oflReader::read(file, oflManufacturer(info));
}

QVector<fixtureLibrary::entry> fixtureLibrary::scan(const QStringList &places)
{
    QStringList files;
    for (const QString &place : places) {
        if (QFileInfo(place).isFile()) {
            files << place;
            continue;
        }
        QDirIterator it(place, QDir::Files | QDir::Readable, QDirIterator::Subdirectories);
        while (it.hasNext() && files.size() <= kMaxFiles) {
            const QString path = it.next();
            if (isDefinitionName(it.fileName()))
                files << path;
        }
    }
    QVector<entry> found;
    for (int i = 0; i < files.size(); ++i) {
        if (i < kMaxFiles) {
            found << summarise(files.at(i));
        } else {
            entry skipped;
            skipped.file = files.at(i);
            skipped.error = QStringLiteral("more than %1 files in the libraries").arg(kMaxFiles);
            found << skipped;
        }
    }
    std::sort(found.begin(), found.end(), [](const entry &a, const entry &b) {
        const int maker = a.manufacturer.compare(b.manufacturer, Qt::CaseInsensitive);
        if (maker != 0)
            return maker < 0;
        const int model = a.model.compare(b.model, Qt::CaseInsensitive);
        return model != 0 ? model < 0 : a.file < b.file;
    });
    return found;
}

void fixtureLibrary::start(const QStringList &places)
{
    if (m_worker)
        return;
    m_worker = QThread::create([this, places] {
        const QVector<entry> found = scan(places);
        QMetaObject::invokeMethod(
            this, [this, found] { take(found); }, Qt::QueuedConnection);
    });
    m_worker->start();
}

void fixtureLibrary::take(const QVector<entry> &found)
{
    m_entries = found;
    m_ready = true;
    emit finished();
}
