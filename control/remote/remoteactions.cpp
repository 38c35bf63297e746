#include "remoteactions.h"

#include "dimlist.h"
#include "fixturelist.h"
#include "playengine.h"

#include <chrono>

namespace
{
// The window's repeat box goes to 255.
constexpr int kMaxRepeat = 255;
} // namespace

remoteActions::remoteActions(dimList *list, QObject *parent) : QObject(parent), m_list(list)
{
    connect(list, &dimList::playingChanged, this, &remoteActions::refresh);
    connect(list, &dimList::currentRowChanged, this, &remoteActions::refresh);
    connect(list, &dimList::playRangeChanged, this, &remoteActions::refresh);
    connect(list, &dimList::outputEnabledChanged, this, &remoteActions::refresh);
    connect(list, &dimList::speedMasterChanged, this, &remoteActions::refresh);
    connect(list->fixtures(), &fixtureList::blackoutChanged, this, &remoteActions::refresh);
    for (const value &now : state())
        m_told.insert(now.name, now.args);
}

const QHash<QString, QByteArray> &remoteActions::signatures()
{
    static const QHash<QString, QByteArray> types{
        {QStringLiteral("play"), ""},      {QStringLiteral("stop"), ""},
        {QStringLiteral("next"), ""},      {QStringLiteral("previous"), ""},
        {QStringLiteral("tap"), ""},       {QStringLiteral("step"), "i"},
        {QStringLiteral("range"), "ii"},   {QStringLiteral("output"), "i"},
        {QStringLiteral("blackout"), "i"}, {QStringLiteral("speed"), "f"},
        {QStringLiteral("repeat"), "i"}};
    return types;
}

bool remoteActions::argumentsFit(const QString &action, const QVariantList &args) const
{
    const auto found = signatures().constFind(action);
    if (found == signatures().constEnd() || found->size() != args.size())
        return false;
    for (int i = 0; i < args.size(); ++i) {
        const int type = args.at(i).userType();
        if (found->at(i) == 'i' && type != QMetaType::Int)
            return false;
        if (found->at(i) == 'f' && type != QMetaType::Float && type != QMetaType::Double)
            return false;
    }
    return true;
}

bool remoteActions::validRow(const QVariant &row) const
{
    return row.toInt() >= 0 && row.toInt() < m_list->rowCount();
}

// The ranges that do not depend on the table. Written as "inside" tests so that NaN, which
// compares false with everything, falls outside.
bool remoteActions::inRange(const QString &action, const QVariant &value)
{
    if (action == QLatin1String("output") || action == QLatin1String("blackout"))
        return value.toInt() == 0 || value.toInt() == 1;
    if (action == QLatin1String("speed")) {
        const double factor = value.toDouble();
        return factor >= playEngine::kSlowest && factor <= playEngine::kFastest;
    }
    if (action == QLatin1String("repeat"))
        return value.toInt() >= 0 && value.toInt() <= kMaxRepeat;
    return true;
}

bool remoteActions::accepts(const QString &action, const QVariantList &args) const
{
    if (!argumentsFit(action, args))
        return false;
    if (action == QLatin1String("step"))
        return validRow(args.at(0));
    if (action == QLatin1String("range"))
        return validRow(args.at(0)) && validRow(args.at(1));
    return args.isEmpty() || inRange(action, args.at(0));
}

bool remoteActions::perform(const QString &action, const QVariantList &args)
{
    if (!accepts(action, args))
        return false;
    const QVariant first = args.value(0);
    if (action == QLatin1String("play")) {
        m_list->sendDmxEnable(true);
    } else if (action == QLatin1String("stop")) {
        m_list->sendDmxEnable(false);
    } else if (action == QLatin1String("next") || action == QLatin1String("previous")) {
        // The arrow keys of the table.
        m_list->dmx_up_down_select_row(action == QLatin1String("previous"));
    } else if (action == QLatin1String("tap")) {
        tap();
    } else if (action == QLatin1String("step")) {
        m_list->dmxRowToDim(ushort(first.toInt()));
    } else if (action == QLatin1String("range")) {
        // A click on the start row, then on the end row.
        m_list->dmxRowToDim(ushort(first.toInt()));
        m_list->setPlayerEndRow(ushort(args.at(1).toInt()));
    } else if (action == QLatin1String("output")) {
        m_list->dmxOutputEnable(first.toInt() != 0);
    } else if (action == QLatin1String("blackout")) {
        setBlackout(first.toInt() != 0);
    } else if (action == QLatin1String("speed")) {
        m_list->setSpeedMaster(first.toDouble());
    } else if (action == QLatin1String("repeat")) {
        m_list->setRepeat(uint(first.toInt()));
    }
    return true;
}

// As the window's blackout button: playback stops while the fixtures are dark.
void remoteActions::setBlackout(bool on)
{
    if (on)
        m_list->sendDmxEnable(false);
    m_list->fixtures()->setBlackout(on);
}

// The tap tempo measures from the moment the action is performed.
void remoteActions::tap()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    emit tapped(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

int remoteActions::rowCount() const
{
    return m_list->rowCount();
}

QVector<remoteActions::value> remoteActions::state() const
{
    return {{QStringLiteral("playing"), {int(m_list->playing())}},
            {QStringLiteral("step"), {m_list->currentRow()}},
            {QStringLiteral("range"), {m_list->playStart(), m_list->playEnd()}},
            {QStringLiteral("output"), {int(m_list->outputEnabled())}},
            {QStringLiteral("blackout"), {int(m_list->fixtures()->blackout())}},
            {QStringLiteral("speed"), {float(m_list->speedMaster())}}};
}

void remoteActions::refresh()
{
    for (const value &now : state()) {
        QVariantList &told = m_told[now.name];
        if (told == now.args)
            continue;
        told = now.args;
        emit changed(now.name, now.args);
    }
}
