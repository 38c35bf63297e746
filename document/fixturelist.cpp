#include "fixturelist.h"

#include "fixtureblock.h"
#include "fixturecatalogue.h"
#include "fixturelibrary.h"
#include "fixturepatch.h"
#include "fixturesnap.h"
#include "undohistory.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace
{
const fixtureCatalogue &catalogue()
{
    static const fixtureCatalogue instance;
    return instance;
}

QVariantMap column(const QString &title, const QString &role)
{
    return {{QStringLiteral("title"), title}, {QStringLiteral("role"), role}};
}

// Titles and roles of the step number, speed and fade columns.
const char *const kFixedTitles[] = {QT_TRANSLATE_NOOP("DmxTable", "序\n号"),
                                    QT_TRANSLATE_NOOP("DmxTable", "速度\n x\n0.1秒"),
                                    QT_TRANSLATE_NOOP("DmxTable", "渐变\n x\n0.1秒")};
const char *const kFixedRoles[] = {"c_id", "speed", "fade"};

// The capability whose start a blackout sends: the first named like an off.
bool namesOff(const QString &name)
{
    static const QRegularExpression off(
        QStringLiteral("\\b(laser|output|lamp|light|beam|intensity|dimmer)s?\\s*off\\b|"
                       "\\bblack\\s*out\\b|\\bshutter\\s*closed?\\b|\\bclosed\\b|"
                       "\\bno\\s*(output|light)\\b|\\b(zero|no)\\s*intensity\\b|^\\s*off\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    return off.match(name).hasMatch();
}

QString definitionName(const fixtureDef::definition &placed)
{
    return QStringLiteral("%1 %2 (%3)")
        .arg(placed.manufacturer, placed.model, placed.modes.value(0).name);
}

int offLevel(const fixtureDef::channel &channel)
{
    for (const fixtureDef::capability &capability : channel.capabilities) {
        if (namesOff(capability.name))
            return capability.min;
    }
    return 0;
}
} // namespace

fixtureList::fixtureList(showDocument &show, fixturePatch &patch, undoHistory *history,
                         QObject *parent)
    : QAbstractListModel(parent), m_show(show), m_patch(patch), m_history(history)
{
    // Fixtures added or removed during a blackout are covered at once.
    connect(this, &fixtureList::fixturesChanged, this, [this] {
        if (m_blackout)
            m_patch.setBlackout(offLevels());
    });
}

int fixtureList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant fixtureList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return QVariant();
    const int row = index.row();
    switch (role) {
    case typeRole:
        return fixtureAt(row).type;
    case nameRole:
        return nameOf(row);
    case firstChannelRole:
        return ends().value(row).toInt() - channelsOf(row) - kFixedColumns + 1;
    case channelsRole:
        return channelsOf(row);
    case enabledRole:
        return m_patch.fixtureEnabled(row);
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> fixtureList::roleNames() const
{
    return {{typeRole, "type"},
            {nameRole, "name"},
            {firstChannelRole, "firstChannel"},
            {channelsRole, "channels"},
            {enabledRole, "enabled"}};
}

int fixtureList::channelsOf(int row) const
{
    const fixtureDef::definition &placed = fixtureAt(row).placed;
    return placed.channels.isEmpty() ? catalogue().channels(fixtureAt(row).type)
                                     : placed.channels.size();
}

QString fixtureList::nameOf(int row) const
{
    const fixtureDef::definition &placed = fixtureAt(row).placed;
    return placed.channels.isEmpty() ? catalogue().name(fixtureAt(row).type)
                                     : definitionName(placed);
}

// Built-in titles are translated; a definition's channel names stand as the file has them.
QStringList fixtureList::titlesOf(int row) const
{
    QStringList titles;
    const fixtureDef::definition &placed = fixtureAt(row).placed;
    // One word a line, as the narrow columns of the built-in titles have one character.
    for (const fixtureDef::channel &channel : placed.channels)
        titles << channel.name.simplified().replace(QLatin1Char(' '), QLatin1Char('\n'));
    if (!placed.channels.isEmpty())
        return titles;
    for (const QString &label : catalogue().labels(fixtureAt(row).type))
        titles << (label.isEmpty() ? QString()
                                   : QCoreApplication::translate("DmxTable", qPrintable(label)));
    return titles;
}

int fixtureList::columnEnd() const
{
    int end = kFixedColumns;
    for (int row = 0; row < count(); ++row)
        end += channelsOf(row);
    return end;
}

QVariantList fixtureList::types() const
{
    QVariantList out;
    for (int row = 0; row < count(); ++row) {
        if (fixtureAt(row).placed.channels.isEmpty())
            out << fixtureAt(row).type;
        else
            out << QVariant::fromValue(fixtureAt(row).placed);
    }
    return out;
}

QVariantList fixtureList::channelCounts() const
{
    QVariantList out;
    for (int row = 0; row < count(); ++row)
        out << channelsOf(row);
    return out;
}

QVariantList fixtureList::ends() const
{
    QVariantList out;
    int end = kFixedColumns;
    for (int row = 0; row < count(); ++row) {
        end += channelsOf(row);
        out << end;
    }
    return out;
}

QVariantList fixtureList::columns() const
{
    QVariantList out;
    for (int i = 0; i < kFixedColumns; ++i)
        out << column(QCoreApplication::translate("DmxTable", kFixedTitles[i]),
                      QString::fromLatin1(kFixedRoles[i]));
    int channel = 0;
    for (int row = 0; row < count(); ++row) {
        for (const QString &label : titlesOf(row)) {
            ++channel;
            const QString title = label.isEmpty() ? QStringLiteral("ch") : label;
            out << column(title + QLatin1Char('\n') + QString::number(channel),
                          QStringLiteral("channel%1").arg(channel));
        }
    }
    return out;
}

QVariantList fixtureList::modelNames() const
{
    QVariantList out;
    for (const showDocument::fixture &f : m_show.fixtures())
        out << f.placed.model;
    return out;
}

bool fixtureList::fits(int channels) const
{
    return channels >= 1 && count() < kMaxFixtures &&
           columnEnd() + channels <= kFixedColumns + kChannels;
}

void fixtureList::appendRow(int type, const fixtureDef::definition &placed, int channels,
                            const QString &name)
{
    beginInsertRows(QModelIndex(), count(), count());
    m_show.appendFixture(type, placed);
    // The patch learns only the channel count; its entry is named after the fixture.
    const int row = count() - 1;
    m_patch.addFixture(channels, name, [this, row] { enabledChanged(row); });
    endInsertRows();
    emit fixturesChanged();
}

bool fixtureList::append(int type)
{
    const int channels = catalogue().channels(type);
    if (!fits(channels))
        return false;
    appendRow(type, fixtureDef::definition(), channels, catalogue().name(type));
    return true;
}

bool fixtureList::appendDefinition(const fixtureDef::definition &placed)
{
    if (placed.modes.size() != 1 || !fits(placed.channels.size()))
        return false;
    appendRow(fixtureBlock::kDefinitionType, placed, placed.channels.size(),
              definitionName(placed));
    return true;
}

bool fixtureList::appendKind(const QVariant &kind)
{
    if (kind.canConvert<fixtureDef::definition>() && kind.userType() != QMetaType::Int)
        return appendDefinition(kind.value<fixtureDef::definition>());
    return append(kind.toInt());
}

bool fixtureList::dropLast()
{
    if (count() == 0)
        return false;
    const int last = count() - 1;
    beginRemoveRows(QModelIndex(), last, last);
    m_show.removeLastFixture();
    m_patch.removeLastFixture();
    endRemoveRows();
    emit fixturesChanged();
    return true;
}

// The strip's check box switches the patch entry; the list shows it. Entries come and go only
// at the end, so an entry's row is the one it was added at.
void fixtureList::enabledChanged(int row)
{
    if (row < count())
        emit dataChanged(index(row), index(row), {enabledRole});
}

bool fixtureList::add(int type)
{
    if (!append(type))
        return false;
    m_history->recordFixture(type, true);
    return true;
}

bool fixtureList::addDefinition(const QString &file, int mode)
{
    const fixtureDef::readResult read = fixtureLibrary::readFile(file);
    m_lastError = read.error;
    if (!read.error.isEmpty())
        return false;
    const fixtureDef::definition placed = fixtureDef::singleMode(read.def, mode);
    if (placed.channels.isEmpty()) {
        m_lastError = QStringLiteral("no mode %1 with channels").arg(mode);
        return false;
    }
    return addDefinition(placed);
}

bool fixtureList::addDefinition(const fixtureDef::definition &placed)
{
    const int first = columnEnd() - kFixedColumns;
    const QByteArray before = m_history->snapFlags();
    if (!appendDefinition(placed)) {
        m_lastError = QStringLiteral("does not fit: at most %1 fixtures and %2 channels")
                          .arg(kMaxFixtures)
                          .arg(kChannels);
        return false;
    }
    m_lastError.clear();
    QByteArray after = before;
    for (int i = 0; i < placed.channels.size() && first + i < after.size(); ++i)
        after[first + i] = fixtureSnap::snaps(placed.channels.at(i)) ? 1 : 0;
    m_history->setSnapFlags(after);
    m_history->recordFixture(QVariant::fromValue(placed), true, before, after);
    return true;
}

bool fixtureList::removeLast()
{
    if (count() == 0)
        return false;
    const QVariant kind = types().constLast();
    dropLast();
    m_history->recordFixture(kind, false);
    return true;
}

int fixtureList::rowOfChannel(int channel, int *first) const
{
    int start = 1;
    for (int row = 0; row < count(); ++row) {
        const int count = channelsOf(row);
        if (channel >= start && channel < start + count) {
            if (first)
                *first = start;
            return row;
        }
        start += count;
    }
    return -1;
}

const fixtureDef::channel *fixtureList::definitionChannel(int channel) const
{
    int first = 0;
    const int row = rowOfChannel(channel, &first);
    if (row < 0)
        return nullptr;
    const fixtureDef::definition &placed = fixtureAt(row).placed;
    return placed.channels.isEmpty() ? nullptr : &placed.channels.at(channel - first);
}

QString fixtureList::channelName(int channel) const
{
    int first = 0;
    const int row = rowOfChannel(channel, &first);
    if (row < 0)
        return QString();
    const fixtureDef::definition &placed = fixtureAt(row).placed;
    // The built-in titles stack their characters one a line.
    const QString name = placed.channels.isEmpty()
                             ? titlesOf(row).value(channel - first).remove(QLatin1Char('\n'))
                             : placed.channels.at(channel - first).name.simplified();
    return QStringLiteral("%1\n%2: %3").arg(nameOf(row)).arg(channel).arg(name);
}

QVariantList fixtureList::capabilities(int channel) const
{
    QVariantList out;
    const fixtureDef::channel *found = definitionChannel(channel);
    if (!found)
        return out;
    for (const fixtureDef::capability &capability : found->capabilities)
        out << QVariantMap{{QStringLiteral("min"), capability.min},
                           {QStringLiteral("max"), capability.max},
                           {QStringLiteral("name"), capability.name}};
    return out;
}

QString fixtureList::valueName(int channel, int value) const
{
    const fixtureDef::channel *found = definitionChannel(channel);
    if (!found)
        return QString();
    for (const fixtureDef::capability &capability : found->capabilities) {
        if (value >= capability.min && value <= capability.max)
            return capability.name;
    }
    return QString();
}

QVector<int> fixtureList::offLevels() const
{
    QVector<int> levels;
    for (int row = 0; row < count(); ++row) {
        const fixtureDef::definition &placed = fixtureAt(row).placed;
        if (placed.channels.isEmpty())
            levels.append(QVector<int>(channelsOf(row), -1));
        for (const fixtureDef::channel &channel : placed.channels)
            levels.append(channel.fine ? 0 : offLevel(channel));
    }
    return levels;
}

// The engine overlays the off values on every frame it sends meanwhile; the table and the
// levels stay as they are, so releasing sends them again.
void fixtureList::setBlackout(bool on)
{
    if (on == m_blackout)
        return;
    m_blackout = on;
    m_patch.setBlackout(on ? offLevels() : QVector<int>());
    emit blackoutChanged();
}

int fixtureList::restore(const QVariantList &types)
{
    if (types.isEmpty())
        return 0;
    if (count() > 0)
        return -1;
    int added = 0;
    for (const QVariant &kind : types) {
        if (!appendKind(kind))
            break;
        m_history->recordFixture(kind, true);
        ++added;
    }
    return added;
}
