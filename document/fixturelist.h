#ifndef FIXTURELIST_H
#define FIXTURELIST_H

#include "editwindow.h"
#include "fixturedef.h"

#include <QAbstractListModel>
#include <QVariantList>
#include <QVector>

class fixturePatch;
class undoHistory;

// The model of the show's fixtures, in table order: the one list the window, the show file,
// undo and the headless conversions use: each fixture's type, its first channel, its channel
// count and whether the patch sends it. The table's channel columns and the patch follow
// from it. GUI thread only.
class fixtureList : public QAbstractListModel, public fixtureLayout
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY fixturesChanged)
    // The table's column after the last fixture's (3 without fixtures).
    Q_PROPERTY(int columnEnd READ columnEnd NOTIFY fixturesChanged)
    // Kinds, channel counts and column ends of the fixtures, in table order. A kind is a
    // built-in type number or, for a fixture from a definition, the definition.
    Q_PROPERTY(QVariantList types READ types NOTIFY fixturesChanged)
    Q_PROPERTY(QVariantList channelCounts READ channelCounts NOTIFY fixturesChanged)
    Q_PROPERTY(QVariantList ends READ ends NOTIFY fixturesChanged)
    // Title and model role of every table column: step number, speed, fade, then channels.
    Q_PROPERTY(QVariantList columns READ columns NOTIFY fixturesChanged)
    // The model of each fixture from a definition, shown above its columns; empty for the
    // built-in types, whose titles say it.
    Q_PROPERTY(QVariantList modelNames READ modelNames NOTIFY fixturesChanged)
    // While on, the frame carries every channel of a fixture from a definition at its off
    // value, whatever the table and the faders hold.
    Q_PROPERTY(bool blackout READ blackout WRITE setBlackout NOTIFY blackoutChanged)

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

    // The fixtures are `show`'s; the list is their model and their one writer.
    fixtureList(showDocument &show, fixturePatch &patch, undoHistory *history,
                QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return m_show.fixtures().size(); }
    int columnEnd() const override;
    QVariantList types() const override;
    QVariantList channelCounts() const override;
    QVariantList ends() const override;
    QVariantList columns() const;
    QVariantList modelNames() const;

    // A fixture of a catalogue type at the end of the table, as one undo step. Refused for an
    // unknown type, past kMaxFixtures, or past channel 512.
    Q_INVOKABLE bool add(int type);
    // One fixture of a mode of a definition file, its channels' snap flags set by the snap
    // rule, as one undo step. False, with the reason in lastError, when the file cannot be
    // read or the fixture does not fit.
    Q_INVOKABLE bool addDefinition(const QString &file, int mode);
    bool addDefinition(const fixtureDef::definition &placed);
    Q_INVOKABLE QString lastError() const { return m_lastError; }
    Q_INVOKABLE bool removeLast();
    // The fixtures of a show file (kinds as `types` gives them) into a table without
    // fixtures; the number added, or -1 when the table keeps its own. Snap flags stay as the
    // file set them. Recorded in the undo step that is open.
    Q_INVOKABLE int restore(const QVariantList &types);

    // Named values of a channel (1 = the first fixture's first channel): its capabilities as
    // {min, max, name}, and the name of the one a value falls in. Nothing for channels of
    // built-in types.
    Q_INVOKABLE QVariantList capabilities(int channel) const override;
    Q_INVOKABLE QString valueName(int channel, int value) const;
    // A channel's whole name, for when its title is cut: the fixture with its mode, then the
    // channel's number and name on a line of their own. Empty outside the fixtures.
    Q_INVOKABLE QString channelName(int channel) const;
    // The off value of every channel from a definition (-1 for the others): the start of
    // its first capability named like an off, or 0.
    QVector<int> offLevels() const;
    bool blackout() const { return m_blackout; }
    void setBlackout(bool on);

    // Without recording: undo and redo.
    bool append(int type);
    bool appendDefinition(const fixtureDef::definition &placed);
    bool appendKind(const QVariant &kind);
    bool dropLast();

  signals:
    void fixturesChanged();
    void blackoutChanged();

  private:
    const showDocument::fixture &fixtureAt(int row) const { return m_show.fixtures().at(row); }
    int channelsOf(int row) const;
    QStringList titlesOf(int row) const;
    // The fixture and its first channel (1 = the first fixture's first), or -1.
    int rowOfChannel(int channel, int *first = nullptr) const;
    QString nameOf(int row) const;
    bool fits(int channels) const;
    void appendRow(int type, const fixtureDef::definition &placed, int channels,
                   const QString &name);
    // The definition's channel behind a table channel, or null.
    const fixtureDef::channel *definitionChannel(int channel) const;
    void enabledChanged(int row);

    showDocument &m_show;
    // The window's patch, and playback for the blackout.
    fixturePatch &m_patch;
    undoHistory *m_history;
    QString m_lastError;
    bool m_blackout = false;
};

#endif
