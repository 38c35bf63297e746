#include "synccontrol.h"

#include "artnettimecode.h"
#include "dimlist.h"
#include "ltcinput.h"
#include "midiremote.h"
#include "playengine.h"
#include "remoteactions.h"
#include "remotecontrol.h"
#include "showchase.h"
#include "timecode.h"

#include <QSettings>
#include <QVariantList>

#include <chrono>

namespace
{
const QString kBeatsKey = QStringLiteral("sync/beatSteps");
const QString kOffsetKey = QStringLiteral("sync/timecodeOffset");
const QString kLtcDeviceKey = QStringLiteral("sync/ltcDevice");
const QStringList kSources = {QStringLiteral("artnet"), QStringLiteral("mtc"),
                              QStringLiteral("ltc")};
// Timecode older than this has stopped coming: the output holds.
constexpr qint64 kStoppedNs = 500 * 1000 * 1000;
// A clock heard within this long is the tempo's source.
constexpr qint64 kClockGoneNs = 2000LL * 1000 * 1000;
constexpr int kPollMs = 100;

qint64 steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

syncControl::syncControl(dimList *list, remoteControl *remote, QObject *parent)
    : QObject(parent), m_list(list), m_tap(&list->engine()->tempo()),
      m_clock(list->engine()->tempo()), m_mtc(list->engine()->timecode()),
      m_artnetPort(artnetTimecode::kPort)
{
    if (remote) {
        m_midi = remote->midi();
        connect(remote->actions(), &remoteActions::tapped, this, [this](qint64 ns) {
            m_tap.tap(ns);
            poll();
            emit tapped(ns);
        });
        remote->midi()->setSyncListener([this](const unsigned char *bytes, std::size_t size,
                                               qint64 ns) { return midiMessage(bytes, size, ns); });
    }
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &syncControl::poll);
    m_poll.start();
}

syncControl::~syncControl()
{
    closeSources();
}

QStringList syncControl::sources()
{
    return kSources;
}

void syncControl::start(const syncOptions &given)
{
    QSettings settings;
    m_list->engine()->setBeatSteps(settings.value(kBeatsKey, 0.0).toDouble());
    emit beatStepsChanged();
    setTimecodeOffset(given.offset.isEmpty() ? settings.value(kOffsetKey, m_offsetText).toString()
                                             : given.offset);
    if (given.timecode.isEmpty() || !setTimecodeSource(given.timecode))
        return;
    // Unattended: output and playback on as soon as the show has rows, once; a stop by hand
    // later stays a stop.
    m_startPending = true;
    auto go = [this] {
        if (!m_startPending || m_list->rowCount() == 0)
            return;
        m_startPending = false;
        m_list->dmxOutputEnable(true);
        m_list->sendDmxEnable(true);
    };
    connect(m_list, &QAbstractItemModel::modelReset, this, go);
    connect(m_list, &QAbstractItemModel::rowsInserted, this, go);
    QTimer::singleShot(0, this, go);
}

double syncControl::bpm() const
{
    return m_list->engine()->tempo().read().bpm();
}

QString syncControl::tempoSource() const
{
    if (steadyNs() - m_clockAt.load() < kClockGoneNs)
        return tr("MIDI 时钟");
    return m_tap.bpm() > 0 ? tr("敲击") : QString();
}

double syncControl::beatSteps() const
{
    return m_list->engine()->beatSteps();
}

void syncControl::setBeatSteps(double beats)
{
    const double was = beatSteps();
    m_list->engine()->setBeatSteps(beats);
    QSettings().setValue(kBeatsKey, beatSteps());
    if (beatSteps() != was)
        emit beatStepsChanged();
}

QVariantList syncControl::beatChoices() const
{
    return {0.0, 0.5, 1.0, 2.0, 4.0};
}

QString syncControl::timecode() const
{
    const timecodeSnapshot code = m_list->engine()->timecode().read();
    if (m_source.isEmpty() || code.ms < 0)
        return QStringLiteral("--:--:--:--");
    return timecode::format(code.frame, code.fps);
}

QString syncControl::timecodeStateText() const
{
    if (m_source.isEmpty())
        return QString();
    const timecodeSnapshot code = m_list->engine()->timecode().read();
    if (code.ms < 0)
        return tr("等待时间码");
    if (steadyNs() - code.arrivedNs > kStoppedNs)
        return tr("时间码停止，输出保持");
    return tr("跟随时间码");
}

void syncControl::tap()
{
    const qint64 ns = steadyNs();
    m_tap.tap(ns);
    poll();
    emit tapped(ns);
}

bool syncControl::setTimecodeSource(const QString &source)
{
    closeSources();
    m_problem.clear();
    m_list->engine()->timecode().clear();
    const bool ok = source.isEmpty() || openSource(source);
    m_source = ok ? source : QString();
    if (!ok)
        closeSources();
    m_list->chase()->setEnabled(!m_source.isEmpty());
    emit timecodeSourceChanged();
    poll();
    return ok;
}

bool syncControl::openSource(const QString &source)
{
    timecodeState &state = m_list->engine()->timecode();
    if (source == QLatin1String("artnet")) {
        m_artnet = std::make_unique<artnetTimecode>(state);
        m_artnet->setPort(m_artnetPort);
        if (m_artnet->start())
            return true;
        m_problem = m_artnet->problem();
    } else if (source == QLatin1String("mtc")) {
        // Time code comes in through remote control's MIDI port.
        if (m_midi && !m_midi->available() && !m_midi->problem().isEmpty()) {
            m_problem = tr("MIDI 输入不可用：%1").arg(m_midi->problem());
            return false;
        }
        m_mtcOn = true;
        return true;
    } else if (source == QLatin1String("ltc")) {
        m_ltc = std::make_unique<ltcInput>(state);
        m_ltc->setDevice(QSettings().value(kLtcDeviceKey, m_ltc->device()).toString());
        if (m_ltc->start())
            return true;
        m_problem = m_ltc->problem();
    } else {
        m_problem = tr("未知的时间码来源 %1").arg(source);
    }
    return false;
}

void syncControl::closeSources()
{
    m_mtcOn = false;
    m_artnet.reset();
    m_ltc.reset();
}

quint16 syncControl::artnetPort() const
{
    return m_artnet ? m_artnet->boundPort() : 0;
}

bool syncControl::setTimecodeOffset(const QString &text)
{
    timecode::hmsf time;
    bool drop = false;
    if (!timecode::parse(text, time, &drop))
        return false;
    const qint64 rate = drop ? timecodeSnapshot::fps2997drop : timecodeSnapshot::fps25;
    const qint64 frame = timecode::toFrame(time, rate);
    if (frame < 0)
        return false;
    m_offset = time;
    m_offsetDrop = drop;
    m_offsetText = timecode::format(time, rate);
    QSettings().setValue(kOffsetKey, m_offsetText);
    applyOffset(m_list->engine()->timecode().read().fps);
    emit timecodeSourceChanged();
    return true;
}

// The offset in ms at the rate the timecode comes at: its frames are that rate's frames.
void syncControl::applyOffset(qint64 rate)
{
    m_offsetRate = m_offsetDrop ? timecodeSnapshot::fps2997drop : rate;
    const qint64 frame = timecode::toFrame(m_offset, m_offsetRate);
    m_list->chase()->setOffsetMs(frame < 0 ? 0 : timecode::frameToMs(frame, m_offsetRate));
}

bool syncControl::midiMessage(const unsigned char *bytes, std::size_t size, qint64 ns)
{
    if (size == 0)
        return false;
    const unsigned char status = bytes[0];
    if (status == 0xF8 || status == 0xFA || status == 0xFB || status == 0xFC) {
        m_clockAt = ns;
        const midiClock::event what = m_clock.feed(status, ns);
        if (what != midiClock::none)
            QMetaObject::invokeMethod(
                this, [this, what] { clockEvent(what); }, Qt::QueuedConnection);
        return true;
    }
    const bool code = status == 0xF1 || (status == 0xF0 && size >= 5 && bytes[1] == 0x7F &&
                                         bytes[3] == 0x01 && bytes[4] == 0x01);
    if (code && m_mtcOn)
        m_mtc.feed(bytes, size, ns);
    return code;
}

// A clock's Start plays the range from its start row, on the beat; Continue goes on from
// where Stop left it.
void syncControl::clockEvent(midiClock::event what)
{
    if (what == midiClock::stop) {
        m_list->sendDmxEnable(false);
        return;
    }
    if (what == midiClock::start) {
        m_list->sendDmxEnable(false);
        if (m_list->rowCount() > 0)
            m_list->dmxRowToDim(ushort(qMax(0, m_list->playStart())));
        m_list->engine()->restartBeats();
    }
    m_list->sendDmxEnable(true);
}

void syncControl::poll()
{
    const double now = bpm();
    if (qAbs(now - m_shownBpm) >= 0.05) {
        m_shownBpm = now;
        emit tempoChanged();
    }
    const qint64 rate = m_list->engine()->timecode().read().fps;
    if (!m_source.isEmpty() && !m_offsetDrop && rate != m_offsetRate)
        applyOffset(rate);
    const QString shown = timecode();
    const QString state = timecodeStateText();
    if (shown != m_shown || state != m_shownState) {
        m_shown = shown;
        m_shownState = state;
        emit timecodeChanged();
    }
}
