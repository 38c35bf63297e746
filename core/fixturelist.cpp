#include "fixturelist.h"

#include "fixturecatalogue.h"
#include "light_fix.h"
#include "light_list.h"
#include "undohistory.h"

#include <QCoreApplication>

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
} // namespace

fixtureList::fixtureList(light_list *patch, undoHistory *history, QObject *parent)
    : QAbstractListModel(parent), m_patch(patch), m_history(history)
{
}

int fixtureList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_types.size();
}

QVariant fixtureList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_types.size())
        return QVariant();
    const int type = m_types.at(index.row());
    switch (role) {
    case typeRole:
        return type;
    case nameRole:
        return catalogue().name(type);
    case firstChannelRole:
        return ends().value(index.row()).toInt() - catalogue().channels(type) - kFixedColumns + 1;
    case channelsRole:
        return catalogue().channels(type);
    case enabledRole: {
        const QObject *entry = m_patch->at(index.row());
        return entry && entry->property("fixSelect").toInt() != 0;
    }
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

int fixtureList::columnEnd() const
{
    int end = kFixedColumns;
    for (int type : m_types)
        end += catalogue().channels(type);
    return end;
}

QVariantList fixtureList::types() const
{
    QVariantList out;
    for (int type : m_types)
        out << type;
    return out;
}

QVariantList fixtureList::channelCounts() const
{
    QVariantList out;
    for (int type : m_types)
        out << catalogue().channels(type);
    return out;
}

QVariantList fixtureList::ends() const
{
    QVariantList out;
    int end = kFixedColumns;
    for (int type : m_types) {
        end += catalogue().channels(type);
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
    for (int type : m_types) {
        for (const QString &label : catalogue().labels(type)) {
            ++channel;
            const QString title = label.isEmpty()
                                      ? QStringLiteral("ch")
                                      : QCoreApplication::translate("DmxTable", qPrintable(label));
            out << column(title + QLatin1Char('\n') + QString::number(channel),
                          QStringLiteral("channel%1").arg(channel));
        }
    }
    return out;
}

bool fixtureList::append(int type)
{
    const int channels = catalogue().channels(type);
    if (channels < 1 || m_types.size() >= kMaxFixtures ||
        columnEnd() + channels > kFixedColumns + kChannels)
        return false;
    beginInsertRows(QModelIndex(), m_types.size(), m_types.size());
    m_types.append(type);
    m_patch->addFixture(channels);
    // The patch learns only the channel count; its entry is named after the type.
    m_patch->at(m_patch->size() - 1)->setProperty("fixType", catalogue().name(type));
    endInsertRows();
    watch(m_types.size() - 1);
    emit fixturesChanged();
    return true;
}

bool fixtureList::dropLast()
{
    if (m_types.isEmpty())
        return false;
    const int last = m_types.size() - 1;
    beginRemoveRows(QModelIndex(), last, last);
    m_types.removeLast();
    m_patch->removeLastFixture();
    endRemoveRows();
    emit fixturesChanged();
    return true;
}

// The strip's check box switches the patch entry; the list shows it.
void fixtureList::watch(int row)
{
    auto *fix = static_cast<light_fix *>(m_patch->at(row));
    connect(fix, &light_fix::fixSelectChanged, this, [this, fix] {
        const int at = m_patch->m_fixList.indexOf(fix);
        if (at >= 0 && at < m_types.size())
            emit dataChanged(index(at), index(at), {enabledRole});
    });
}

bool fixtureList::add(int type)
{
    if (!append(type))
        return false;
    m_history->recordFixture(type, true);
    return true;
}

bool fixtureList::removeLast()
{
    if (m_types.isEmpty())
        return false;
    const int type = m_types.last();
    dropLast();
    m_history->recordFixture(type, false);
    return true;
}

int fixtureList::restore(const QVariantList &types)
{
    if (types.isEmpty())
        return 0;
    if (!m_types.isEmpty())
        return -1;
    int added = 0;
    for (const QVariant &type : types) {
        if (!add(type.toInt()))
            break;
        ++added;
    }
    return added;
}
