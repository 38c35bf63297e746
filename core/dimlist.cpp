#include "dimlist.h"

#include "dim.h"
#include "dmx.h"

#include <QBrush>
#include <QDebug>
#include <QTimer>

dimList *g_dimList = nullptr;
int g_currentRow = -1;
bool g_playEnable = false;
int g_advanceRow = 1;

namespace {
constexpr int kFirstRole = Qt::UserRole + 1; // role of cell 0
} // namespace

dimList::dimList(QObject *parent)
    : QAbstractTableModel(parent), m_dmx(new dmx(nullptr)),
      m_fadeStep(new QVector<float>(512, 0.0f)), m_fadeValue(new QVector<float>(512, 0.0f)),
      m_timer(new QTimer(nullptr))
{
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &dimList::sendDmx);
}

int dimList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_data.size();
}

int dimList::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant dimList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !validRow(index.row()) || index.column() >= m_columns)
        return QVariant();
    const StepRow &row = *m_data.at(index.row());
    if (role >= kFirstRole && role < kFirstRole + m_columns)
        return int(row.value(role - kFirstRole));
    switch (role) {
    case Qt::DisplayRole:
        return int(row.value(index.column()));
    case Qt::EditRole: {
        const int cell = row.value(index.column());
        qDebug() << "Qt::EditRole:" << int(Qt::EditRole) << "value:" << cell;
        return cell;
    }
    case Qt::BackgroundRole:
        return QBrush(index.row() == g_currentRow ? Qt::red : Qt::lightGray);
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
    qDebug() << "   进dimList::setData,index.row:" << index.row() << index.column()
             << "value:" << value.toInt() << "role:" << role;
    if (index.column() >= 3)
        m_dmx->setDmxValue(static_cast<uchar>(value.toInt()), index.column() - 3);
    if (data(index, role) == value) {
        qDebug() << "出dimList::setData";
        return false;
    }
    (*m_data.at(index.row()))[index.column()] = static_cast<quint16>(value.toInt());
    qDebug() << "   出dimList::setData";
    return true;
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

int dimList::currentRow() const
{
    return g_currentRow;
}

void dimList::setDmxData(ushort value, ushort col, ushort row)
{
    if (g_playEnable)
        return;
    if (row >= m_data.size())
        return;
    if (col >= m_columns)
        col = m_columns - 1;
    g_currentRow = row;
    setData(index(row, col), int(value), Qt::EditRole);
    const int k = col - 3;
    if (k <= 0)
        return;
    if (!static_cast<dim *>(m_dmx->m_dims.at(k))->m_linkage)
        return;
    for (int j = 0; j < k; ++j) {
        if (static_cast<dim *>(m_dmx->m_dims.at(j))->m_linkage)
            setData(index(row, j + 3), int(value), Qt::EditRole);
    }
}

void dimList::setDmxData(ushort value, ushort col)
{
    setDmxData(value, col, static_cast<ushort>(g_currentRow));
}

void dimList::refrushModel()
{
    beginResetModel();
    qDebug() << "——————frush——————";
    endResetModel();
}

void dimList::refrushIndex()
{
    for (int r = 0; r < m_data.size(); ++r)
        (*m_data.at(r))[0] = static_cast<quint16>(r);
    refrushModel();
}

void dimList::add_light_fix(int id, int channel)
{
    Q_UNUSED(id)
    Q_UNUSED(channel)
}

void dimList::delete_light_fix(int id)
{
    Q_UNUSED(id)
}

void dimList::currId_light_fix() {}

void dimList::loadRowToDims(int row)
{
    const StepRow &r = *m_data.at(row);
    for (int c = 0; c < 512; ++c)
        m_dmx->setDmxValue(static_cast<uchar>(r.at(c + 3)), c);
}

// ---- playback --------------------------------------------------------------------------

void dimList::sendDmxEnable(bool enable)
{
    Q_UNUSED(enable)
}

void dimList::sendDmxEnable()
{
    sendDmxEnable(g_playEnable);
}

void dimList::sendDmx() {}

void dimList::dmxRowToDim(ushort row)
{
    Q_UNUSED(row)
}

void dimList::setPlayerEndRow(ushort row)
{
    m_playEnd = row;
}

void dimList::setDmxDataBetween(uint index)
{
    m_between = index;
}

void dimList::dmxOutputEnable(bool enable)
{
    m_dmx->m_outputEnable = enable;
}

// ---- row editing -----------------------------------------------------------------------

bool dimList::insertRows(int row, int count, const QModelIndex &parent)
{
    Q_UNUSED(row)
    Q_UNUSED(count)
    Q_UNUSED(parent)
    return false;
}

bool dimList::removeRows(int row, int count, const QModelIndex &parent)
{
    Q_UNUSED(row)
    Q_UNUSED(count)
    Q_UNUSED(parent)
    return false;
}

bool dimList::moveRows(const QModelIndex &sourceParent, int sourceRow, int count,
                       const QModelIndex &destinationParent, int destinationChild)
{
    Q_UNUSED(sourceParent)
    Q_UNUSED(sourceRow)
    Q_UNUSED(count)
    Q_UNUSED(destinationParent)
    Q_UNUSED(destinationChild)
    return false;
}

void dimList::insertEndRows() {}
void dimList::insertCurrRows() {}
void dimList::removeEndRows() {}
void dimList::removeCurrRows() {}
void dimList::removeSelectRows() {}
void dimList::removeAll() {}
void dimList::moveUpRows() {}
void dimList::moveDownRows() {}
void dimList::setAllDmxSpeedCross(ushort speed, ushort fade)
{
    Q_UNUSED(speed)
    Q_UNUSED(fade)
}
void dimList::dmx_up_down_select_row(bool up_down)
{
    Q_UNUSED(up_down)
}
