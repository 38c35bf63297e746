#include "fixturecatalogue.h"

#include "fixturelibrary.h"

#include <QDir>
#include <QVector>
#include <QtGlobal>

// The resource is in a static library, so nothing would otherwise pull it into a program.
static void loadTypeResource()
{
    Q_INIT_RESOURCE(fixturetypes);
}

namespace
{
struct fixtureType {
    QString name;
    // Channel titles, channel 1 first; the step table translates them in its own context.
    QStringList labels;
};

fixtureType readType(const QString &path)
{
    const fixtureDef::readResult read = fixtureLibrary::readFile(path);
    fixtureType type;
    // A type keeps its number even when its file is broken, so shows still name the others.
    if (!read.error.isEmpty() || read.def.modes.size() != 1) {
        qCritical("built-in fixture type %s: %s", qPrintable(path),
                  qPrintable(read.error.isEmpty() ? QStringLiteral("not one mode") : read.error));
        return type;
    }
    type.name = read.def.model;
    for (int index : read.def.modes.constFirst().channels)
        type.labels << read.def.channels.at(index).name;
    return type;
}

// The built-in definitions, one file per type; the file name's number orders them.
QVector<fixtureType> readTypes()
{
    loadTypeResource();
    QVector<fixtureType> list;
    const QDir folder(QStringLiteral(":/fixturetypes"));
    for (const QString &file : folder.entryList({QStringLiteral("*.qxf")}, QDir::Files, QDir::Name))
        list << readType(folder.filePath(file));
    return list;
}

// Position in this list is the type's number.
const QVector<fixtureType> &types()
{
    static const QVector<fixtureType> list = readTypes();
    return list;
}

const fixtureType *find(int number)
{
    const QVector<fixtureType> &list = types();
    return number >= 0 && number < list.size() ? &list.at(number) : nullptr;
}
} // namespace

fixtureCatalogue::fixtureCatalogue(QObject *parent) : QObject(parent) {}

int fixtureCatalogue::count() const
{
    return types().size();
}

QString fixtureCatalogue::name(int number) const
{
    const fixtureType *type = find(number);
    return type ? type->name : QString();
}

QStringList fixtureCatalogue::labels(int number) const
{
    const fixtureType *type = find(number);
    return type ? type->labels : QStringList();
}

int fixtureCatalogue::channels(int number) const
{
    const fixtureType *type = find(number);
    return type ? type->labels.size() : 0;
}

QStringList fixtureCatalogue::names() const
{
    QStringList out;
    for (int number = 0; number < count(); ++number)
        out << name(number);
    return out;
}

QVariantList fixtureCatalogue::labelLists() const
{
    QVariantList out;
    for (int number = 0; number < count(); ++number)
        out << QVariant(labels(number));
    return out;
}
