#include "dimlist.h"
#include "changeset.h"
#include "showchase.h"

#include "dim.h"
#include "dmx.h"
#include "effectfill.h"
#include "fixturelist.h"
#include "light_fix.h"
#include "light_list.h"
#include "playengine.h"
#include "undohistory.h"

#include <QBrush>
#include <QDebug>

dimList *g_dimList = nullptr;

namespace
{
constexpr int kFirstRole = Qt::UserRole + 1; // role of cell 0
} // namespace

dimList::dimList(QObject *parent)
    : QAbstractTableModel(parent), m_dmx(new dmx(m_document)), m_engine(new playEngine(this))
{
    // A new table starts where the process starts: no current row, nothing playing.
    m_document.showEditRowIn(&g_currentRow);
    g_playEnable = false;
    g_advanceRow = 1;
    m_dmx->setEngine(m_engine);
    changeSet::publishWith(this, [this] { publishShow(); });
    m_history = new undoHistory(this, this);
    m_fixtures = new fixtureList(m_document, *this, m_history, this);
    m_effects = new effectFill(*this, this);
    m_chase = new showChase(this, this);
    connect(this, &dimList::repeatChanged, this, &dimList::repeatsCounted);
    connect(&m_announcer, &windowAnnouncer::currentRowChanged, this, &dimList::currentRowChanged);
    connect(&m_announcer, &windowAnnouncer::playRangeChanged, this, &dimList::playRangeChanged);
    connect(&m_announcer, &windowAnnouncer::playingChanged, this, &dimList::playingChanged);
    connect(&m_announcer, &windowAnnouncer::outputEnabledChanged, this,
            &dimList::outputEnabledChanged);
    connect(&m_announcer, &windowAnnouncer::wholeTableChanged, this, &dimList::wholeTableChanged);
    connect(&m_status, &statusLine::textChanged, this, &dimList::statusMessageChanged);
    // A message tells of the action that set it: the next edit, undo, pick or start ends it.
    connect(m_history, &undoHistory::changed, this, &dimList::endStatus);
    connect(this, &dimList::playRangeChanged, this, &dimList::endStatus);
    connect(this, &dimList::playingChanged, this, &dimList::endStatus);
}

dimList::~dimList()
{
    // The output thread reads the output object until it is joined here.
    changeSet::stopPublishing(this);
    delete m_engine;
    delete m_chase;
    delete m_effects;
    delete m_fixtures;
    delete m_history;
    delete m_dmx;
}

stepTable &dimList::stepsForWriting()
{
    return m_document.stepsForWriting();
}

// A copy of the rows costs a reference: the table shares its storage until written again.
void dimList::publishShow()
{
    if (m_document.publish())
        m_engine->setShow(m_document.published());
    else
        m_engine->takeWindowState();
}

void dimList::outputSetup(int *slotOf, bool *snap) const
{
    light_list *patch = m_dmx->patch();
    for (int c = 0; c < kChannels; ++c) {
        if (!patch->mapChannel(c))
            slotOf[c] = -1;
        else
            slotOf[c] = patch->mappedSlot() < 0 ? -2 : patch->mappedSlot();
        snap[c] = m_document.snaps(c);
    }
}

void dimList::setLiveSending(bool live)
{
    m_dmx->setSendLive(live);
}

void dimList::tellLevels(const std::bitset<kChannels> &changed)
{
    for (int c = 0; c < kChannels; ++c) {
        if (changed.test(static_cast<size_t>(c)))
            emit m_dmx->channel(c)->dimValueChanged();
    }
}

// A fill still in preview was made over the table as it was; a step applied under it would
// be lost when the preview went, so the preview goes first.
void dimList::beginReplay()
{
    beginBatch();
    m_effects->cancel();
}

// Rows came or went: the positions stay inside the table and the views re-read it.
void dimList::replayApplied()
{
    {
        const changeSet edit;
        m_document.keepInside();
    }
    refrushIndex();
}

void dimList::endReplay()
{
    endBatch();
}

void dimList::cellWritten(int row, int column, int value)
{
    if (row == m_document.editRow() && column >= 3)
        m_dmx->setDmxValue(static_cast<uchar>(value), column - 3);
}

void dimList::cellsWritten(const cellArea &area)
{
    cellsChanged(area);
}

void dimList::setSnapFlags(const QByteArray &flags)
{
    writeSnapFlags(flags, false);
}

// The channels whose flag changed are announced, or all of them when asked.
void dimList::writeSnapFlags(const QByteArray &flags, bool announceAll)
{
    for (int i = 0; i < flags.size() && i < kChannels; ++i) {
        const bool snaps = flags.at(i) != 0;
        if (!announceAll && m_document.snaps(i) == snaps)
            continue;
        m_document.setSnaps(i, snaps);
        emit m_dmx->channel(i)->dimEnChanged();
    }
}

void dimList::restoreFixture(const QVariant &kind, bool add)
{
    if (add)
        m_fixtures->appendKind(kind);
    else
        m_fixtures->dropLast();
}

QObject *dimList::history() const
{
    return m_history;
}

int dimList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : steps().size();
}

int dimList::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant dimList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !validRow(index.row()) || index.column() >= m_columns)
        return QVariant();
    const int row = index.row();
    if (role >= kFirstRole && role < kFirstRole + m_columns)
        return int(steps().cell(row, role - kFirstRole));
    switch (role) {
    case Qt::DisplayRole:
        return int(steps().cell(row, index.column()));
    case Qt::EditRole: {
        const int cell = steps().cell(row, index.column());
        qDebug() << "Qt::EditRole:" << int(Qt::EditRole) << "value:" << cell;
        return cell;
    }
    case Qt::BackgroundRole: {
        return QBrush(index.row() == m_document.editRow() ? Qt::red : Qt::lightGray);
    }
    case Qt::ForegroundRole:
        return QBrush(Qt::black);
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    default:
        return QVariant();
    }
}

bool dimList::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || !validRow(index.row()) || index.column() >= m_columns)
        return false;
    const changeSet edit;
    qDebug() << "   进dimList::setData,index.row:" << index.row() << index.column()
             << "value:" << value.toInt() << "role:" << role;
    if (index.column() >= 3)
        m_dmx->setDmxValue(static_cast<uchar>(qBound(0, value.toInt(), 255)), index.column() - 3);
    if (data(index, role) == value) {
        qDebug() << "出dimList::setData";
        return false;
    }
    stepsForWriting().setCell(index.row(), index.column(), value.toInt());
    announceCell(index.row(), index.column());
    qDebug() << "   出dimList::setData";
    return true;
}

// The cells an operation wrote are told to the views once, at its end, as one area; rows the
// operation removed meanwhile are left out.
void dimList::announceCell(int row, int column)
{
    const bool first = m_cellsWritten.firstRow < 0;
    m_cellsWritten.add(row, column);
    if (!first)
        return;
    changeSet::afterwards([this] {
        cellArea area = m_cellsWritten;
        m_cellsWritten = cellArea();
        area.lastRow = qMin(area.lastRow, rowCount() - 1);
        if (area.firstRow <= area.lastRow)
            cellsChanged(area);
    });
}

bool dimList::channelLinked(int channel) const
{
    return m_dmx->channel(channel)->dimLinkage();
}

void dimList::storeCell(int row, int column, int value)
{
    setData(index(row, column), value, Qt::EditRole);
}

QVariant dimList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return QString::number(section + 1);
    const QHash<int, QByteArray> names = roleNames();
    return QString::fromLatin1(names.value(kFirstRole + section));
}

bool dimList::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                            int role)
{
    // A change may only be announced for a section that exists.
    const int sections = orientation == Qt::Vertical ? rowCount() : columnCount();
    if (section < 0 || section >= sections)
        return false;
    if (value == headerData(section, orientation, role))
        return false;
    emit headerDataChanged(orientation, section, section);
    return true;
}

Qt::ItemFlags dimList::flags(const QModelIndex &index) const
{
    if (!index.isValid() || !validRow(index.row()))
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsEnabled;
}

QHash<int, QByteArray> dimList::roleNames() const
{
    QHash<int, QByteArray> names;
    names.reserve(m_columns);
    names.insert(kFirstRole, "c_id");
    names.insert(kFirstRole + 1, "speed");
    names.insert(kFirstRole + 2, "fade");
    for (int ch = 1; ch <= m_columns - 3; ++ch)
        names.insert(kFirstRole + 2 + ch, "channel" + QByteArray::number(ch));
    return names;
}

QObject *dimList::fixtureObject() const
{
    return m_fixtures;
}

bool dimList::windowShown() const
{
    return m_engine->windowShown();
}

void dimList::setWindowShown(bool shown)
{
    if (shown == m_engine->windowShown())
        return;
    m_engine->setWindowShown(shown);
    emit windowShownChanged();
}

QObject *dimList::effectsObject() const
{
    return m_effects;
}

int dimList::playStart() const
{
    return playRange().start;
}

int dimList::playEnd() const
{
    return playRange().end;
}

int dimList::rangeFirst() const
{
    return m_announcer.rangeFirst();
}

int dimList::rangeLast() const
{
    return m_announcer.rangeLast();
}

bool dimList::playing() const
{
    return g_playEnable;
}

bool dimList::outputEnabled() const
{
    return m_dmx->outputEnabled();
}

// The repeat count ran out: the output goes off and playback stops.
void dimList::repeatsCounted(uint times)
{
    // A chase stands still at the end of the count by itself and goes on when the
    // timecode goes back.
    if (times != 0 || m_repeatSet || m_engine->chasing())
        return;
    dmxOutputEnable(false);
    if (playing())
        sendDmxEnable(false);
}

void dimList::selectWholeTable()
{
    m_editing.selectWholeTable();
}

int dimList::currentRow() const
{
    return m_document.editRow();
}

double dimList::speedMaster() const
{
    return m_engine->speed();
}

void dimList::setStatusMessage(const QString &text)
{
    m_status.setText(text);
}

void dimList::settle(bool showEditRow)
{
    m_announcer.settle(showEditRow);
}

void dimList::rowLoaded()
{
    m_announcer.rowLoaded();
}

void dimList::setSpeedMaster(double factor)
{
    const double before = m_engine->speed();
    m_engine->setSpeed(factor);
    if (!qFuzzyCompare(before, m_engine->speed()))
        emit speedMasterChanged();
}

showTimeline::setup dimList::playSetup() const
{
    showTimeline::setup show;
    show.rows = steps();
    show.playStart = playRange().start;
    show.playEnd = playRange().end;
    show.between = between();
    for (int ch = 0; ch < showTimeline::kChannels; ++ch)
        show.snap[size_t(ch)] = m_document.snaps(ch);
    show.speed = m_engine->speed();
    return show;
}

uint dimList::repeat() const
{
    return m_engine->repeatsLeft();
}

uint dimList::repeatsLeft() const
{
    return m_engine->repeatsLeft();
}

void dimList::setRepeatsLeft(uint times)
{
    m_engine->setRepeatsLeft(times);
}

void dimList::setRepeat(uint times)
{
    if (m_engine->repeatsLeft() == times)
        return;
    m_engine->setRepeatsLeft(times);
    // The repeat box follows a count set elsewhere (a remote); a count set by hand is no count
    // that ran out.
    m_repeatSet = true;
    emit repeatChanged(times);
    m_repeatSet = false;
}

void dimList::setDmxData(ushort value, ushort col, ushort row)
{
    m_editing.writeCell(value, col, row);
}

void dimList::setDmxData(ushort value, ushort col)
{
    const int row = m_document.editRow();
    // Without an edit row a fader move writes nowhere.
    if (row < 0)
        return;
    setDmxData(value, col, static_cast<ushort>(row));
}

void dimList::cellsChanged(const cellArea &area)
{
    if (area.firstRow < 0)
        return;
    emit dataChanged(index(area.firstRow, area.firstColumn), index(area.lastRow, area.lastColumn));
}

void dimList::refrushModel()
{
    beginResetModel();
    qDebug() << "——————frush——————";
    endResetModel();
}

void dimList::refrushIndex()
{
    // A step's number is its position: nothing to renumber.
    refrushModel();
    settle(true);
}

// The table adds and removes fixtures only at its end and numbers them by position, as the
// patch does, so the patch follows by appending and dropping its last entry.
void dimList::add_light_fix(int id, int channel)
{
    Q_UNUSED(id)
    m_dmx->patch()->addFixture(channel);
}

void dimList::delete_light_fix(int id)
{
    Q_UNUSED(id)
    m_dmx->patch()->removeLastFixture();
}

void dimList::currId_light_fix() {}

// ---- playback: forwards to the engine ------------------------------------------------

void dimList::sendDmxEnable(bool enable)
{
    publishShow();
    m_engine->enable(enable);
    settle(false);
}

void dimList::sendDmxEnable()
{
    publishShow();
    m_engine->enable(g_playEnable);
}

void dimList::sendDmx()
{
    publishShow();
    m_engine->tick();
}

void dimList::dmxRowToDim(ushort row)
{
    {
        const changeSet edit;
        if (!validRow(row))
            return;
        m_document.setEditRow(row);
        setPlayRange(row, playRange().end);
        m_dmx->showRow(steps(), row);
        m_engine->takePickedRow();
    }
    // A pick while playing restarts the fade from the picked row's levels; the views re-read.
    if (playing())
        refrushModel();
    settle(true);
}

void dimList::setPlayerEndRow(ushort row)
{
    m_editing.setPlayerEndRow(row);
}

void dimList::setDmxDataBetween(uint index)
{
    const uint before = between();
    m_editing.setDmxDataBetween(index);
    if (between() != before)
        emit betweenChanged();
}

void dimList::dmxOutputEnable(bool enable)
{
    m_dmx->setOutputEnabled(enable);
    settle(false);
}

// ---- rows: the structural changes; the row operations are in stepediting.cpp ----------

bool dimList::insertRows(int row, int count, const QModelIndex &parent)
{
    return !parent.isValid() && m_editing.insertRows(row, count);
}

bool dimList::removeRows(int row, int count, const QModelIndex &parent)
{
    return !parent.isValid() && m_editing.removeRows(row, count);
}

bool dimList::moveRows(const QModelIndex &sourceParent, int sourceRow, int count,
                       const QModelIndex &destinationParent, int destinationChild)
{
    return !sourceParent.isValid() && !destinationParent.isValid() &&
           m_editing.moveRows(sourceRow, count, destinationChild);
}

bool dimList::beginRowsChange(const rowMove &move)
{
    switch (move.what) {
    case rowMove::kind::inserted:
        beginInsertRows(QModelIndex(), move.at, move.at + move.count - 1);
        return true;
    case rowMove::kind::removed:
        beginRemoveRows(QModelIndex(), move.at, move.at + move.count - 1);
        return true;
    case rowMove::kind::moved:
        // The model counts the destination before the move; it refuses one inside the block.
        return beginMoveRows(QModelIndex(), move.at, move.at + move.count - 1, QModelIndex(),
                             move.to > move.at ? move.to + move.count : move.to);
    }
    return false;
}

void dimList::endRowsChange(const rowMove &move)
{
    switch (move.what) {
    case rowMove::kind::inserted:
        endInsertRows();
        break;
    case rowMove::kind::removed:
        endRemoveRows();
        break;
    case rowMove::kind::moved:
        endMoveRows();
        break;
    }
}

const fixtureLayout &dimList::fixtureColumns() const
{
    return *m_fixtures;
}

void dimList::addFixture(int channels, const QString &name, std::function<void()> enabledChanged)
{
    light_list *patch = m_dmx->patch();
    patch->addFixture(channels);
    auto *entry = static_cast<light_fix *>(patch->at(patch->size() - 1));
    entry->setProperty("fixType", name);
    // Gone with the entry, or with the list that asked.
    connect(entry, &light_fix::fixSelectChanged, m_fixtures, std::move(enabledChanged));
}

void dimList::removeLastFixture()
{
    m_dmx->patch()->removeLastFixture();
}

bool dimList::fixtureEnabled(int fixture) const
{
    const QObject *entry = m_dmx->patch()->at(fixture);
    return entry && entry->property("fixSelect").toInt() != 0;
}

void dimList::setBlackout(const QVector<int> &levels)
{
    m_engine->setBlackout(levels);
}

void dimList::readSnapFlags(const QByteArray &flags)
{
    writeSnapFlags(flags, true);
}

// The patch's walk answers for increasing channels from 0, which is how one pass here asks.
QVector<bool> dimList::sentChannels(int channels)
{
    light_list *patch = m_dmx->patch();
    patch->debugList();
    QVector<bool> sent(channels);
    for (int c = 0; c < channels; ++c)
        sent[c] = patch->mapChannel(c);
    return sent;
}

void dimList::insertEndRows()
{
    m_editing.insertEndRows();
}

void dimList::insertCurrRows()
{
    m_editing.insertCurrRows();
}

void dimList::removeEndRows()
{
    m_editing.removeEndRows();
}

void dimList::removeCurrRows()
{
    m_editing.removeCurrRows();
}

void dimList::removeSelectRows()
{
    m_editing.removeSelectRows();
}

void dimList::removeAll()
{
    m_editing.removeAll();
}

void dimList::moveUpRows()
{
    m_editing.moveUpRows();
}

void dimList::moveDownRows()
{
    m_editing.moveDownRows();
}

void dimList::setAllDmxSpeedCross(ushort speed, ushort fade)
{
    m_editing.setAllDmxSpeedCross(speed, fade);
}

void dimList::dmx_up_down_select_row(bool up_down)
{
    m_editing.dmx_up_down_select_row(up_down);
}
