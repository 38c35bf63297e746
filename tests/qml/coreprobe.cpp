#include "coreprobe.h"

#include "appwiring.h"
#include "changeset.h"
#include "coretestsupport.h"
#include "midiremote.h"
#include "remotecontrol.h"
#include "songstate.h"
#include "synccontrol.h"

#include <QFile>
#include <QQmlListReference>
#include <QQuickWindow>
#include <QScreen>
#include <QSettings>
#include <QtMath>

#include <chrono>

namespace
{
QStringList s_logged;
QtMessageHandler s_previousHandler = nullptr;
bool s_capturing = false;

void recordMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    s_logged.append(message);
    if (s_previousHandler)
        s_previousHandler(type, context, message);
}
} // namespace

// Fills a song's state as reading a song file does, without one.
class songStateFiller
{
  public:
    static songState *make(QObject *parent, qint64 lengthMs, double bpm)
    {
        auto &song = *new songState(parent);
        song.m_path = song.m_link.path = QStringLiteral("/songs/test.wav");
        song.m_analysis.lengthMs = song.m_link.lengthMs = lengthMs;
        song.m_link.tempoBpm = bpm;
        song.m_link.beats = beatGrid::beats(bpm, 0.0, lengthMs);
        for (int i = 0; i < 2000; ++i) {
            const float level = float(qAbs(qSin(M_PI * i / 500) * (0.3 + 0.7 * qAbs(qSin(i)))));
            song.m_analysis.peaks.append({-level, level});
        }
        emit song.linkChanged();
        emit song.analysisChanged();
        emit song.beatsChanged();
        return &song;
    }
};

QObject *coreProbe::testSong(qint64 lengthMs, double bpm)
{
    return songStateFiller::make(this, lengthMs, bpm);
}

// Published before the old graph goes, so that no binding ever sees a destroyed object.
// Its output thread keeps real time, as the program's does: the documents' tests wait for
// what they expect with tryCompare, and frames are read back once they went out.
void coreProbe::freshCore()
{
    coreFixture::renew(
        modelCheck::fatal, [this] { publishCore(m_engine); }, engineTime::steady);
    dmxbox_reset();
}

void coreProbe::dropCore()
{
    ::dropCore();
}

void coreProbe::appendRows(int count, int speed, int fade, int level)
{
    for (int i = 0; i < count; ++i)
        appendRow(quint16(speed), quint16(fade), quint16(level));
}

int coreProbe::rowCount() const
{
    return coreModel()->steps().size();
}

int coreProbe::cell(int row, int column) const
{
    const dimList *m = coreModel();
    if (row < 0 || row >= m->steps().size() || column < 0 || column >= m->columnCount())
        return -1;
    return m->steps().cell(row, column);
}

int coreProbe::level(int channel) const
{
    return (channel >= 0 && channel < 512) ? g_dimValue[channel] : -1;
}

// The frames asked for reach the library from the output thread, at most 15 ms later.
void coreProbe::waitForFrames() const
{
    coreModel()->engine()->waitFramesSent(std::chrono::seconds(5));
}

int coreProbe::frameSlot(int slot) const
{
    waitForFrames();
    return (slot >= 0 && slot < 512) ? dmxbox_lastFrame()[slot] : -1;
}

int coreProbe::sendCount() const
{
    waitForFrames();
    return int(dmxbox_callCount());
}

bool coreProbe::playing() const
{
    return g_playEnable;
}

bool coreProbe::outputEnabled() const
{
    return coreModel()->output()->outputEnabled();
}

bool coreProbe::sendLive() const
{
    return coreModel()->output()->sendsLive();
}

int coreProbe::playStart() const
{
    return coreModel()->playStart();
}

int coreProbe::playEnd() const
{
    return coreModel()->playEnd();
}

void coreProbe::moveTo(int row, int start, int end)
{
    {
        const changeSet edit;
        g_currentRow = row;
        coreModel()->setPlayRange(start, end);
    }
    coreModel()->settle(false);
}

int coreProbe::between() const
{
    return int(coreModel()->between());
}

bool coreProbe::allLevelsAre(int value) const
{
    for (int c = 0; c < 512; ++c) {
        if (g_dimValue[c] != value)
            return false;
    }
    return true;
}

QString coreProbe::tempPath() const
{
    return m_tempDir.path();
}

QString coreProbe::readFile(const QString &path) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(file.readAll());
}

QString coreProbe::fileHex(const QString &path) const
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().toHex()) : QString();
}

bool coreProbe::writeHex(const QString &path, const QString &hex) const
{
    QFile file(path);
    const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

void coreProbe::captureLog()
{
    s_logged.clear();
    if (s_capturing)
        return;
    s_capturing = true;
    s_previousHandler = qInstallMessageHandler(recordMessage);
}

QStringList coreProbe::loggedLines() const
{
    return s_logged;
}

// run_flag has no read accessor in QML; the tests read the stored flag here.
bool coreProbe::runFlag(int channel) const
{
    return (channel >= 0 && channel < 512) && ::channel(channel)->runFlag();
}

// Sets the snap flag and announces it the way the file loader does.
void coreProbe::announceDimEn(int channel, int value)
{
    if (channel < 0 || channel >= 512)
        return;
    dim *d = ::channel(channel);
    d->setDimEn(value != 0);
    emit d->dimEnChanged();
}

void coreProbe::setOutputState(int state)
{
    dmxbox_setState(state);
}

int coreProbe::outputStateCalls() const
{
    return int(dmxbox_stateCalls());
}

void coreProbe::startRemote(int oscPort)
{
    if (auto *control = g_dimList->findChild<remoteControl *>())
        control->start({oscPort, QStringLiteral("127.0.0.1")});
}

void coreProbe::midiMessage(const QVariantList &bytes)
{
    std::vector<unsigned char> message;
    for (const QVariant &byte : bytes)
        message.push_back(static_cast<unsigned char>(byte.toInt()));
    if (auto *control = g_dimList->findChild<remoteControl *>())
        control->midi()->receive(message);
}

void coreProbe::syncMidi(const QVariantList &bytes)
{
    std::vector<unsigned char> message;
    for (const QVariant &byte : bytes)
        message.push_back(static_cast<unsigned char>(byte.toInt()));
    const qint64 now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                           std::chrono::steady_clock::now().time_since_epoch())
                           .count();
    if (auto *control = g_dimList->findChild<syncControl *>())
        control->midiMessage(message.data(), message.size(), now);
}

void coreProbe::setSetting(const QString &key, const QVariant &value)
{
    QSettings settings;
    if (value.isValid())
        settings.setValue(key, value);
    else
        settings.remove(key);
}

QVariant coreProbe::setting(const QString &key) const
{
    return QSettings().value(key);
}

namespace
{
QObject *visualChild(QObject *parent, const QString &name)
{
    const QQmlListReference children(parent, "children");
    if (!children.isValid())
        return nullptr;
    const int count = children.count();
    for (int i = 0; i < count; ++i) {
        QObject *child = children.at(i);
        if (child && child->objectName() == name)
            return child;
    }
    for (int i = 0; i < count; ++i) {
        if (QObject *found = visualChild(children.at(i), name))
            return found;
    }
    return nullptr;
}
} // namespace

QObject *coreProbe::findChild(QObject *parent, const QString &name) const
{
    if (!parent)
        return nullptr;
    if (QObject *found = visualChild(parent, name))
        return found;
    return parent->findChild<QObject *>(name);
}

bool coreProbe::grabScreen(QQuickWindow *window)
{
    if (!window || !window->screen())
        return false;
    m_screen = window->screen()->grabWindow(window->winId()).toImage();
    return !m_screen.isNull();
}

QColor coreProbe::screenPixel(qreal x, qreal y) const
{
    const QPoint at(qFloor(x * m_screen.devicePixelRatio()),
                    qFloor(y * m_screen.devicePixelRatio()));
    return m_screen.valid(at) ? m_screen.pixelColor(at) : QColor();
}
