#ifndef FIXTURECATALOGUE_H
#define FIXTURECATALOGUE_H

#include <QObject>
#include <QStringList>
#include <QVariantList>

// The fixture types a table can add. A type's number is its place in the type box and what a
// show file records; its channel count is the number of its channel titles. The titles are
// the untranslated source texts; the table translates them when it adds the columns.
// GUI thread only.
class fixtureCatalogue : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int count READ count CONSTANT)
    Q_PROPERTY(QStringList names READ names CONSTANT)
    Q_PROPERTY(QVariantList labelLists READ labelLists CONSTANT)

  public:
    explicit fixtureCatalogue(QObject *parent = nullptr);

    int count() const;
    // Unknown numbers give an empty name, no titles and 0 channels.
    Q_INVOKABLE QString name(int number) const;
    Q_INVOKABLE QStringList labels(int number) const;
    Q_INVOKABLE int channels(int number) const;
    QStringList names() const;
    // One list of titles per type, in number order.
    QVariantList labelLists() const;
};

#endif
