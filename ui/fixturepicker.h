#ifndef FIXTUREPICKER_H
#define FIXTUREPICKER_H

#include "fixturelibrary.h"

#include <QAbstractListModel>
#include <QStringList>

// What the fixture picker lists: the built-in types first, then the definitions of the
// library that match the search words (over manufacturer and model) and the category. The
// library is indexed in a worker thread; the list fills in once it is ready.
// GUI thread only; the worker's index reaches it through the library's finished().
class fixturePicker : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(bool ready READ ready NOTIFY readyChanged)
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(QString search READ search WRITE setSearch NOTIFY filterChanged)
    // Empty for every category; the built-in types show only then.
    Q_PROPERTY(QString category READ category WRITE setCategory NOTIFY filterChanged)
    // The library's categories, "Laser" first, then by name.
    Q_PROPERTY(QStringList categories READ categories NOTIFY readyChanged)

  public:
    enum roles {
        builtInRole = Qt::UserRole + 1,
        typeRole,
        manufacturerRole,
        modelRole,
        categoryRole,
        fileRole,
        errorRole,
        modesRole,
        labelRole
    };

    explicit fixturePicker(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Indexes the given folders and files instead of what it indexed before.
    Q_INVOKABLE void indexPlaces(const QStringList &places);
    // The library's own folders and the places the user added.
    Q_INVOKABLE void indexDefaults();
    // The library's own folders and the added places, unless an index was started before.
    Q_INVOKABLE void start();
    // A definition file or a folder of them, indexed again with what was indexed before and
    // kept in the user's settings, so that it is indexed at every start.
    Q_INVOKABLE void addPlace(const QString &path);

    bool ready() const;
    int count() const { return m_builtIn.size() + m_shown.size(); }
    QString search() const { return m_search; }
    void setSearch(const QString &text);
    QString category() const { return m_category; }
    void setCategory(const QString &category);
    QStringList categories() const { return m_categories; }

  signals:
    // A new index of the library is about to start.
    void indexing();
    void readyChanged();
    void countChanged();
    void filterChanged();

  private:
    void indexed();
    void refilter();
    bool matches(const QString &text) const;

    fixtureLibrary *m_library = nullptr;
    QStringList m_places;
    QVector<int> m_builtIn;
    // Indexes of the library entries shown, in library order.
    QVector<int> m_shown;
    QString m_search;
    QString m_category;
    QStringList m_categories;
};

#endif
