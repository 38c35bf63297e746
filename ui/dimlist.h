#ifndef DIMLIST_H
#define DIMLIST_H

#include "editwindow.h"
#include "fixturepatch.h"
#include "historywindow.h"
#include "playbackwindow.h"
#include "playshow.h"
#include "playstate.h"
#include "showdocument.h"
#include "showtimeline.h"
#include "statusline.h"
#include "stepediting.h"
#include "steptable.h"
#include "windowannouncer.h"

#include <QAbstractTableModel>
#include <QList>
#include <QVector>

#include <memory>

class dmx;
class effectFill;
class showChase;
class dimList;
class fixtureList;
class playEngine;
class undoHistory;

extern dimList *g_dimList;

// The step table as the window knows it: the table model over the show's owner, and the names
// the window calls, forwarded to the row operations, playback and the window's announcer.
// GUI thread only. The output thread plays the rows, range and stride it publishes (see
// stepsForWriting()) and advances a current row, levels and repeat count of its own, which
// the window's views (playstate.h) follow.
class dimList : public QAbstractTableModel,
                private playbackWindow,
                private historyWindow,
                private editWindow,
                private fixturePatch
{
    Q_OBJECT
    // The edit row while stopped (fader moves, Init, START and END write into it; -1: none),
    // the row playing while playing.
    Q_PROPERTY(int currentRow READ currentRow NOTIFY currentRowChanged)
    Q_PROPERTY(uint repeat READ repeat WRITE setRepeat NOTIFY repeatChanged)
    Q_PROPERTY(QObject *history READ history CONSTANT)
    // The ends of the play range as picked, and the rows of the table it covers: what is
    // shaded, what plays, what "删除", copy and cut act on (-1 and -1 for none).
    Q_PROPERTY(int playStart READ playStart NOTIFY playRangeChanged)
    Q_PROPERTY(int playEnd READ playEnd NOTIFY playRangeChanged)
    Q_PROPERTY(int rangeFirst READ rangeFirst NOTIFY playRangeChanged)
    Q_PROPERTY(int rangeLast READ rangeLast NOTIFY playRangeChanged)
    Q_PROPERTY(bool playing READ playing NOTIFY playingChanged)
    Q_PROPERTY(bool outputEnabled READ outputEnabled NOTIFY outputEnabledChanged)
    // "全选" took the whole table as the range; the range before it comes back on the next.
    Q_PROPERTY(bool wholeTable READ wholeTable NOTIFY wholeTableChanged)
    // What the status bar says about the last action.
    Q_PROPERTY(
        QString statusMessage READ statusMessage WRITE setStatusMessage NOTIFY statusMessageChanged)
    Q_PROPERTY(QObject *fixtures READ fixtureObject CONSTANT)
    // The window is on screen; while it is not, playback's rows and levels wait for it.
    Q_PROPERTY(bool windowShown READ windowShown WRITE setWindowShown NOTIFY windowShownChanged)
    // Generated fills with their preview, and the copy of a fixture's programming.
    Q_PROPERTY(QObject *effects READ effectsObject CONSTANT)
    // The live speed master of playback (0.1 to 4.0, 1.0 as written); not part of the show.
    Q_PROPERTY(double speedMaster READ speedMaster WRITE setSpeedMaster NOTIFY speedMasterChanged)

  public:
    explicit dimList(QObject *parent = nullptr);
    // Stops the output thread first, then frees the table, its history and the output side.
    ~dimList() override;

    // The rows; the GUI thread's alone, other threads get the published copies.
    const stepTable &steps() const { return m_document.steps(); }
    // The rows to write into, for the row operations, the undo steps, the fills and the file
    // service; whoever writes tells the views. The output thread gets them as they stand when
    // the next operation (changeSet) on this thread opens or closes.
    stepTable &stepsForWriting();
    // The show as it stands goes to playback now, with what the window wrote into its views of
    // playback's state; each operation (changeSet) does this when it opens and closes.
    void publishShow();
    // The output object, the playback engine and the record of every change for undo and
    // redo; each lives as long as the model.
    dmx *output() const { return m_dmx; }
    playEngine *engine() const { return m_engine; }
    undoHistory *changeHistory() const override { return m_history; }

    // The state playback reads as published: the ends of the play range as picked (either may
    // lie outside the table) and the rows it advances by.
    using rangeEnds = showDocument::range;
    rangeEnds playRange() const { return m_document.playRange(); }
    void setPlayRange(int start, int end) { m_document.setPlayRange(start, end); }
    void setPlayEnd(int end) { m_document.setPlayEnd(end); }
    uint between() const { return m_document.between(); }
    void setBetween(uint rows) { m_document.setBetween(rows); }
    // The show's owner, under the window's names.
    showDocument &document() override { return m_document; }
    // The window as the operations on the show see it.
    editWindow *editing() override { return this; }
    // What playback runs as it stands now: the rows, the range, the stride, the snap flags and
    // the speed master; the repeat count is left at none.
    showTimeline::setup playSetup() const;
    // The repeats left, which playback counts.
    uint repeatsLeft() const;
    // No repeatChanged: playback tells the window itself, later.
    void setRepeatsLeft(uint times);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role = Qt::EditRole) override;
    bool insertRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;
    bool moveRows(const QModelIndex &sourceParent, int sourceRow, int count,
                  const QModelIndex &destinationParent, int destinationChild) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QHash<int, QByteArray> roleNames() const override;

    int currentRow() const;
    uint repeat() const;
    void setRepeat(uint times);
    QObject *history() const;
    int playStart() const;
    int playEnd() const;
    int rangeFirst() const;
    int rangeLast() const;
    bool playing() const override;
    bool outputEnabled() const;
    bool wholeTable() const { return m_announcer.wholeTable(); }
    QString statusMessage() const { return m_status.text(); }
    void setStatusMessage(const QString &text) override;
    // Clears a message told before the action under way.
    void endStatus() { m_status.end(); }
    fixtureList *fixtures() const { return m_fixtures; }
    QObject *fixtureObject() const;
    bool windowShown() const;
    void setWindowShown(bool shown);
    effectFill *effects() const { return m_effects; }
    // Timecode chase: on or off, its offset, the show laid out for it.
    showChase *chase() const { return m_chase; }
    QObject *effectsObject() const;
    double speedMaster() const;
    void setSpeedMaster(double factor);

    // Tells the window what the last change did to the rows, the range and the play and
    // output state, and, when asked, puts the edit row's levels on the faders. Every
    // operation ends with it; inside an operation (changeSet) it waits for its end.
    void settle(bool showEditRow) override;
    // Playback loaded a row: told even when it is the row the window already shows.
    void rowLoaded();

    // An operation made of several: the window hears of it once, at its end.
    class batch
    {
      public:
        explicit batch(dimList *list) : m_once(*list) {}

      private:
        editWindow::batch m_once;
    };

    Q_INVOKABLE void setDmxData(ushort value, ushort col, ushort row);
    Q_INVOKABLE void setDmxData(ushort value, ushort col);
    Q_INVOKABLE void dmxRowToDim(ushort row);
    Q_INVOKABLE void setPlayerEndRow(ushort row);
    Q_INVOKABLE void insertEndRows();
    Q_INVOKABLE void insertCurrRows();
    Q_INVOKABLE void removeEndRows();
    Q_INVOKABLE void removeCurrRows();
    Q_INVOKABLE void removeSelectRows();
    Q_INVOKABLE void removeAll();
    using cellArea = showDocument::cellArea;
    // The views re-read just these cells, after the operation.
    void cellsChanged(const cellArea &area);
    Q_INVOKABLE void refrushModel();
    Q_INVOKABLE void refrushIndex();
    Q_INVOKABLE void moveUpRows();
    Q_INVOKABLE void moveDownRows();
    Q_INVOKABLE void dmxOutputEnable(bool enable);
    Q_INVOKABLE void setAllDmxSpeedCross(ushort speed, ushort fade);
    Q_INVOKABLE void setDmxDataBetween(uint index);
    Q_INVOKABLE void dmx_up_down_select_row(bool up_down);
    Q_INVOKABLE void add_light_fix(int id, int channel);
    Q_INVOKABLE void delete_light_fix(int id);
    Q_INVOKABLE void currId_light_fix();
    Q_INVOKABLE void selectWholeTable();

  signals:
    void currentRowChanged(int index);
    // The row operations moved an end of the play range (clamped, collapsed or shifted).
    void playRangeChanged(int start, int end);
    void repeatChanged(uint times);
    void playingChanged();
    void outputEnabledChanged();
    void wholeTableChanged();
    void statusMessageChanged();
    void windowShownChanged();
    void speedMasterChanged();
    // The rows playback advances by: between() changed.
    void betweenChanged();

  public slots:
    void sendDmxEnable(bool enable);
    void sendDmxEnable();
    void sendDmx();

  private:
    // What the undo history asks of the window.
    void beginReplay() override;
    void replayApplied() override;
    void endReplay() override;
    void cellWritten(int row, int column, int value) override;
    void cellsWritten(const cellArea &area) override;
    void setSnapFlags(const QByteArray &flags) override;
    void restoreFixture(const QVariant &kind, bool add) override;

    // What the row operations and the fills ask of the window.
    const fixtureLayout &fixtureColumns() const override;
    const uchar *faderLevels() const override { return g_dimValue; }
    bool channelLinked(int channel) const override;
    void storeCell(int row, int column, int value) override;
    bool beginRowsChange(const rowMove &move) override;
    void endRowsChange(const rowMove &move) override;
    void rowsRewritten() override { refrushModel(); }
    void beginBatch() override { m_announcer.beginBatch(); }
    void endBatch() override { m_announcer.endBatch(); }

    // What the fixture list asks of the patch and of playback.
    void addFixture(int channels, const QString &name,
                    std::function<void()> enabledChanged) override;
    void removeLastFixture() override;
    bool fixtureEnabled(int fixture) const override;
    void setBlackout(const QVector<int> &levels) override;
    void readSnapFlags(const QByteArray &flags) override;
    QVector<bool> sentChannels(int channels) override;

    // What playback asks of the window and tells it.
    int editRow() const override { return m_document.editRow(); }
    void showRow(int row) override { m_document.setEditRow(row); }
    void outputSetup(int *slotOf, bool *snap) const override;
    void setLiveSending(bool live) override;
    void tellRowLoaded() override { rowLoaded(); }
    void tellRepeats(uint left) override { emit repeatChanged(left); }
    void tellLevels(const std::bitset<kChannels> &changed) override;
    void tellStopped() override { settle(false); }

    bool validRow(int row) const { return m_document.validRow(row); }
    void repeatsCounted(uint times);
    void writeSnapFlags(const QByteArray &flags, bool announceAll);
    void announceCell(int row, int column);

    // Before the channel objects, which show its snap flags.
    showDocument m_document;
    dmx *m_dmx;
    int m_columns = 515;
    // Playback and frame output.
    playEngine *m_engine;
    // Every change to the rows is recorded here for undo and redo.
    undoHistory *m_history;

    // The row operations QML calls are forwarded to their own class, which edits the show.
    stepEditing m_editing{*this};
    fixtureList *m_fixtures;
    effectFill *m_effects;
    showChase *m_chase;
    statusLine m_status;
    // Tells the window what each operation changed, once at its end.
    windowAnnouncer m_announcer{m_document, *m_dmx};
    // Written by the operation under way, told to the views at its end.
    cellArea m_cellsWritten;
    bool m_repeatSet = false;
};

#endif
