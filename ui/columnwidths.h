#ifndef COLUMNWIDTHS_H
#define COLUMNWIDTHS_H

#include <QObject>
#include <QSettings>
#include <QString>
#include <QVariantList>

// The widths the user gave the table's channel columns, kept in the user's settings per
// fixture kind (a built-in type, or a definition's maker, model and mode) and channel, so
// that a fixture looks the same in every show and in every place it has in the table.
// GUI thread only.
class columnWidths : public QObject
{
    Q_OBJECT
    // Counts the changes: bindings that read widths are evaluated again when it moves.
    Q_PROPERTY(int revision READ revision NOTIFY changed)

  public:
    using QObject::QObject;

    // The settings group of a fixture kind as fixtureList::types gives it.
    static QString keyOf(const QVariant &kind);

    int revision() const { return m_revision; }

    // The kept width of every channel column of fixtures of these kinds and channel counts,
    // in table order; 0 where the user gave none.
    Q_INVOKABLE QVariantList widths(const QVariantList &kinds,
                                    const QVariantList &channelCounts) const;
    // Keeps a channel's width (0 channel = the fixture's first); 0 or less forgets it.
    Q_INVOKABLE void setWidth(const QVariant &kind, int channel, qreal width);
    // Keeps the widths of a fixture's first channels at once.
    Q_INVOKABLE void setWidths(const QVariant &kind, const QVariantList &widths);

  signals:
    void changed();

  private:
    static void keep(QSettings &settings, const QString &key, int channel, qreal width);
    void announce();

    int m_revision = 0;
};

#endif
