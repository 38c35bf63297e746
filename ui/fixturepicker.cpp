#include "fixturepicker.h"

#include "fixturecatalogue.h"

#include <QRegularExpression>
#include <QSettings>

namespace
{
const fixtureCatalogue &catalogue()
{
    static const fixtureCatalogue instance;
    return instance;
}

const QString kLaser = QStringLiteral("Laser");
// The files and folders the user added to the library, indexed at every start.
const QString kAddedKey = QStringLiteral("library/added");

QStringList addedPlaces()
{
    return QSettings().value(kAddedKey).toStringList();
}

// The library's own folders and what the user added, each once.
QStringList defaultPlaces()
{
    QStringList places = fixtureLibrary::defaultFolders() + addedPlaces();
    places.removeDuplicates();
    return places;
}
} // namespace

fixturePicker::fixturePicker(QObject *parent) : QAbstractListModel(parent)
{
    refilter();
}

void fixturePicker::indexPlaces(const QStringList &places)
{
    emit indexing();
    m_places = places;
    beginResetModel();
    delete m_library;
    m_library = new fixtureLibrary(this);
    m_shown.clear();
    m_categories.clear();
    endResetModel();
    connect(m_library, &fixtureLibrary::finished, this, &fixturePicker::indexed);
    m_library->start(places);
    emit readyChanged();
    emit countChanged();
}

void fixturePicker::indexDefaults()
{
    indexPlaces(defaultPlaces());
}

void fixturePicker::start()
{
    if (!m_library)
        indexDefaults();
}

void fixturePicker::addPlace(const QString &path)
{
    if (path.isEmpty())
        return;
    const QStringList added = addedPlaces();
    if (!added.contains(path))
        QSettings().setValue(kAddedKey, added + QStringList{path});
    const QStringList places = m_library ? m_places : defaultPlaces();
    indexPlaces(places.contains(path) ? places : places + QStringList{path});
}

bool fixturePicker::ready() const
{
    return m_library && m_library->isReady();
}

void fixturePicker::indexed()
{
    QStringList found;
    for (const fixtureLibrary::entry &entry : m_library->entries()) {
        if (entry.error.isEmpty() && !entry.type.isEmpty() && !found.contains(entry.type))
            found << entry.type;
    }
    std::sort(found.begin(), found.end(), [](const QString &a, const QString &b) {
        if ((a == kLaser) != (b == kLaser))
            return a == kLaser;
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    m_categories = found;
    refilter();
    emit readyChanged();
}

bool fixturePicker::matches(const QString &text) const
{
    const QStringList words =
        m_search.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    for (const QString &word : words) {
        if (!text.contains(word, Qt::CaseInsensitive))
            return false;
    }
    return true;
}

void fixturePicker::refilter()
{
    beginResetModel();
    m_builtIn.clear();
    m_shown.clear();
    if (m_category.isEmpty()) {
        for (int type = 0; type < catalogue().count(); ++type) {
            if (matches(catalogue().name(type)))
                m_builtIn << type;
        }
    }
    const QVector<fixtureLibrary::entry> none;
    const QVector<fixtureLibrary::entry> &entries = ready() ? m_library->entries() : none;
    for (int i = 0; i < entries.size(); ++i) {
        const fixtureLibrary::entry &entry = entries.at(i);
        if (!m_category.isEmpty() && entry.type != m_category)
            continue;
        const QString text = entry.error.isEmpty()
                                 ? entry.manufacturer + QLatin1Char(' ') + entry.model
                                 : entry.file;
        if (matches(text))
            m_shown << i;
    }
    endResetModel();
    emit countChanged();
}

void fixturePicker::setSearch(const QString &text)
{
    if (text == m_search)
        return;
    m_search = text;
    refilter();
    emit filterChanged();
}

void fixturePicker::setCategory(const QString &category)
{
    if (category == m_category)
        return;
    m_category = category;
    refilter();
    emit filterChanged();
}

int fixturePicker::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant fixturePicker::data(const QModelIndex &index, int role) const
{
    const int row = index.row();
    if (!index.isValid() || row < 0 || row >= count())
        return QVariant();
    if (row < m_builtIn.size()) {
        const int type = m_builtIn.at(row);
        switch (role) {
        case builtInRole:
            return true;
        case typeRole:
            return type;
        case labelRole:
        case modelRole:
            return catalogue().name(type);
        case modesRole:
            return QVariantList{
                QVariantMap{{QStringLiteral("name"), QString()},
                            {QStringLiteral("channels"), catalogue().channels(type)}}};
        default:
            return QVariant();
        }
    }
    const fixtureLibrary::entry &entry =
        m_library->entries().at(m_shown.at(row - m_builtIn.size()));
    switch (role) {
    case builtInRole:
        return false;
    case typeRole:
        return -1;
    case manufacturerRole:
        return entry.manufacturer;
    case modelRole:
        return entry.model;
    case labelRole:
        return entry.error.isEmpty() ? entry.manufacturer + QLatin1Char(' ') + entry.model
                                     : entry.file.section(QLatin1Char('/'), -1);
    case categoryRole:
        return entry.type;
    case fileRole:
        return entry.file;
    case errorRole:
        return entry.error;
    case modesRole: {
        QVariantList modes;
        for (const fixtureLibrary::modeSummary &mode : entry.modes)
            modes << QVariantMap{{QStringLiteral("name"), mode.name},
                                 {QStringLiteral("channels"), mode.channels}};
        return modes;
    }
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> fixturePicker::roleNames() const
{
    return {
        {builtInRole, "builtIn"}, {typeRole, "type"},         {manufacturerRole, "manufacturer"},
        {modelRole, "modelName"}, {categoryRole, "category"}, {fileRole, "file"},
        {errorRole, "error"},     {modesRole, "modes"},       {labelRole, "label"}};
}
