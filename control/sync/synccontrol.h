#ifndef SYNCCONTROL_H
#define SYNCCONTROL_H

#include "midiclock.h"
#include "mtcdecoder.h"
#include "syncoptions.h"
#include "taptempo.h"
#include "timecode.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QVariantList>

#include <atomic>
#include <memory>

class artnetTimecode;
class dimList;
class ltcInput;
class midiRemote;
class remoteControl;

// Tempo, beat steps and timecode chase as the window sees them: the tap tempo, the MIDI
// clock and MIDI time code read on the MIDI input's own thread, Art-Net timecode and LTC,
// the chase's source and offset, and what the window shows of them. The engine reads tempo
// and timecode from its snapshots; nothing here is waited on by the output thread.
// GUI thread only, except midiMessage(), which RtMidi's input thread calls.
class syncControl : public QObject
{
    Q_OBJECT
    Q_PROPERTY(double bpm READ bpm NOTIFY tempoChanged)
    Q_PROPERTY(QString tempoSource READ tempoSource NOTIFY tempoChanged)
    Q_PROPERTY(double beatSteps READ beatSteps WRITE setBeatSteps NOTIFY beatStepsChanged)
    Q_PROPERTY(QString timecodeSource READ timecodeSource NOTIFY timecodeSourceChanged)
    Q_PROPERTY(QString timecodeOffset READ timecodeOffset NOTIFY timecodeSourceChanged)
    Q_PROPERTY(QString timecodeProblem READ timecodeProblem NOTIFY timecodeSourceChanged)
    Q_PROPERTY(QString timecode READ timecode NOTIFY timecodeChanged)
    Q_PROPERTY(QString timecodeState READ timecodeStateText NOTIFY timecodeChanged)

  public:
    syncControl(dimList *list, remoteControl *remote, QObject *parent = nullptr);
    ~syncControl() override;

    // The timecode sources setTimecodeSource() knows: "artnet", "mtc" and "ltc".
    static QStringList sources();
    // The settings' beat steps and offset, then the command line's source: with one, output
    // and playback are switched on as soon as the show has rows.
    void start(const syncOptions &given);

    double bpm() const;
    QString tempoSource() const;
    double beatSteps() const;
    void setBeatSteps(double beats);
    QString timecodeSource() const { return m_source; }
    QString timecodeOffset() const { return m_offsetText; }
    QString timecodeProblem() const { return m_problem; }
    QString timecode() const;
    QString timecodeStateText() const;

    // A tap of the tap tempo, now.
    Q_INVOKABLE void tap();
    // "" (chase off), "artnet", "mtc" or "ltc"; false with timecodeProblem set when the
    // source cannot be opened (chase then stays off).
    Q_INVOKABLE bool setTimecodeSource(const QString &source);
    // "HH:MM:SS:FF": the timecode at which the range starts. False for a time not valid.
    Q_INVOKABLE bool setTimecodeOffset(const QString &text);
    // The step lengths the window offers, in beats (0: the steps' own holds).
    Q_INVOKABLE QVariantList beatChoices() const;

    // For tests: the UDP port Art-Net timecode is received on (0: any free one) and the one
    // bound.
    void setArtnetPort(quint16 port) { m_artnetPort = port; }
    quint16 artnetPort() const;

    // The MIDI bytes of the clock and of time code, on the MIDI input's thread.
    bool midiMessage(const unsigned char *bytes, std::size_t size, qint64 ns);

  signals:
    void tempoChanged();
    void beatStepsChanged();
    void timecodeSourceChanged();
    void timecodeChanged();
    // A tap, from the window or remote control, at `ns` on the steady clock.
    void tapped(qint64 ns);

  private:
    dimList *m_list;
    midiRemote *m_midi = nullptr;
    tapTempo m_tap;
    midiClock m_clock;
    mtcDecoder m_mtc;
    std::unique_ptr<artnetTimecode> m_artnet;
    std::unique_ptr<ltcInput> m_ltc;
    std::atomic<bool> m_mtcOn{false};
    std::atomic<qint64> m_clockAt{0};
    QString m_source;
    QString m_offsetText = QStringLiteral("00:00:00:00");
    timecode::hmsf m_offset;
    bool m_offsetDrop = false;
    qint64 m_offsetRate = -1;
    quint16 m_artnetPort;
    bool m_startPending = false;
    QString m_problem;
    QString m_shown;
    QString m_shownState;
    double m_shownBpm = 0;
    // Tempo and timecode arrive on other threads; the window looks at them this often.
    QTimer m_poll;

    bool openSource(const QString &source);
    void closeSources();
    void applyOffset(qint64 rate);
    void clockEvent(midiClock::event what);
    void poll();
};

#endif
