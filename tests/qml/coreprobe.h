#ifndef COREPROBE_H
#define COREPROBE_H

#include <QColor>
#include <QImage>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

class QQmlEngine;
class QQuickWindow;

// Test-only window into the core for the QML tests: builds a new core for each test and
// publishes it to the documents, fills the table without the editing operations, and reads
// back what the DMX interface received.
class coreProbe : public QObject
{
    Q_OBJECT

  public:
    using QObject::QObject;

    // The engine whose documents the new cores are published to.
    void setEngine(QQmlEngine *engine) { m_engine = engine; }
    // A new core graph in place of the one the documents saw; create the window afterwards.
    Q_INVOKABLE void freshCore();
    // Destroys the graph while the engine can still let go of it.
    void dropCore();
    Q_INVOKABLE void appendRows(int count, int speed, int fade, int level);
    Q_INVOKABLE int rowCount() const;
    Q_INVOKABLE int cell(int row, int column) const;
    Q_INVOKABLE int level(int channel) const;
    // What the library received once every frame asked for was sent.
    Q_INVOKABLE int frameSlot(int slot) const;
    Q_INVOKABLE int sendCount() const;
    Q_INVOKABLE bool playing() const;
    Q_INVOKABLE bool outputEnabled() const;
    Q_INVOKABLE bool sendLive() const;
    Q_INVOKABLE int playStart() const;
    Q_INVOKABLE int playEnd() const;
    Q_INVOKABLE int between() const;
    // Puts the current row and the range where playback could have left them.
    Q_INVOKABLE void moveTo(int row, int start, int end);
    Q_INVOKABLE bool allLevelsAre(int value) const;

    // A directory that lives as long as the probe, for files the tests write and read.
    Q_INVOKABLE QString tempPath() const;
    Q_INVOKABLE QString readFile(const QString &path) const;
    // Binary files as hex text, for byte comparisons and hand-made files.
    Q_INVOKABLE QString fileHex(const QString &path) const;
    Q_INVOKABLE bool writeHex(const QString &path, const QString &hex) const;

    // Debug lines written from now on, including the documents' console.log lines.
    Q_INVOKABLE void captureLog();
    Q_INVOKABLE QStringList loggedLines() const;

    Q_INVOKABLE bool runFlag(int channel) const;
    // What the DMX library reports as its output state from now on, and how often it was asked.
    Q_INVOKABLE void setOutputState(int state);
    Q_INVOKABLE int outputStateCalls() const;
    Q_INVOKABLE void announceDimEn(int channel, int value);

    // Starts remote control as main does (OSC on `oscPort`, MIDI as DMX_MIDI_API says), and
    // hands it a MIDI message as if a controller had sent it.
    Q_INVOKABLE void startRemote(int oscPort);
    Q_INVOKABLE void midiMessage(const QVariantList &bytes);
    // MIDI clock or time code as the MIDI input's thread hands it to tempo and timecode, now.
    Q_INVOKABLE void syncMidi(const QVariantList &bytes);
    // A user setting, in the tests' own settings file; an undefined value removes it.
    Q_INVOKABLE void setSetting(const QString &key, const QVariant &value);
    Q_INVOKABLE QVariant setting(const QString &key) const;

    // A song of `lengthMs` at `bpm` as if the show were set to it and it had been read.
    Q_INVOKABLE QObject *testSong(qint64 lengthMs, double bpm);

    // TestCase.findChild() searched in C++, in the same order: the visual children level by
    // level, then the QObject children.
    Q_INVOKABLE QObject *findChild(QObject *parent, const QString &name) const;
    // What the X server shows of the window now, as a user's screenshot sees it: unlike a
    // grab of the window, which draws the whole scene anew, this holds whatever the renderer
    // left unpainted.
    Q_INVOKABLE bool grabScreen(QQuickWindow *window);
    Q_INVOKABLE QColor screenPixel(qreal x, qreal y) const;

  private:
    void waitForFrames() const;

    QImage m_screen;

    QTemporaryDir m_tempDir;
    QQmlEngine *m_engine = nullptr;
};

#endif
