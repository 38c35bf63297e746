#ifndef FIXTURELIST_H
#define FIXTURELIST_H

#include <QAbstractListModel>
#include <QVariantList>
#include <QVector>

class light_list;
class undoHistory;

// The table's fixtures in table order, the one list the window, the show file, undo and the
// headless conversions use: each fixture's type, its first channel, its channel count and
// whether the patch sends it. The table's channel columns and the patch follow from it.
class fixtureList : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY fixturesChanged)
    // The table's column after the last fixture's (3 without fixtures).
    Q_PROPERTY(int columnEnd READ columnEnd NOTIFY fixturesChanged)
    // Type numbers, channel counts and column ends of the fixtures, in table order.
    Q_PROPERTY(QVariantList types READ types NOTIFY fixturesChanged)
    Q_PROPERTY(QVariantList channelCounts READ channelCounts NOTIFY fixturesChanged)
    Q_PROPERTY(QVariantList ends READ ends NOTIFY fixturesChanged)
    // Title and model role of every table column: step number, speed, fade, then channels.
    Q_PROPERTY(QVariantList columns READ columns NOTIFY fixturesChanged)

  public:
    enum roles {
        typeRole = Qt::UserRole + 1,
        nameRole,
        firstChannelRole,
        channelsRole,
        enabledRole
    };
    static constexpr int kMaxFixtures = 30;
    static constexpr int kFixedColumns = 3;
    static constexpr int kChannels = 512;

    fixtureList(light_list *patch, undoHistory *history, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return m_types.size(); }
    int columnEnd() const;
    QVariantList types() const;
    QVariantList channelCounts() const;
    QVariantList ends() const;
    QVariantList columns() const;

    // A fixture of a catalogue type at the end of the table, as one undo step. Refused for an
    // unknown type, past kMaxFixtures, or past channel 512.
    Q_INVOKABLE bool add(int type);
    Q_INVOKABLE bool removeLast();
    // The fixtures of a show file into a table without fixtures; the number added, or -1 when
    // the table keeps its own. Recorded in the undo step that is open.
    Q_INVOKABLE int restore(const QVariantList &types);

    // Without recording: undo and redo.
    bool append(int type);
    bool dropLast();

  signals:
    void fixturesChanged();

  private:
    void watch(int row);

    light_list *m_patch;
    undoHistory *m_history;
    QVector<int> m_types;
};

#endif
