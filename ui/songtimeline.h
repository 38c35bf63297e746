#ifndef SONGTIMELINE_H
#define SONGTIMELINE_H

#include "dimlist.h"
#include "showtimeline.h"
#include "songstate.h"

#include <QPointer>
#include <QQuickPaintedItem>
#include <QTimer>
#include <QVector>

#include <vector>

// The whole song across the item's width: the waveform, a ruler of minutes and seconds, the
// beat grid, the steps of the play range as blocks as long as each plays (one pass after
// another, as playback loops), and the playhead. The blocks follow the table, the range, the
// stride and the speed master: a change marks them for laying out again, which happens once
// per pass of the event loop, and before any frame that would show them. A press or a drag
// asks for a place in the song.
// GUI thread, except paint(), which a threaded render loop calls while the GUI thread waits.
class songTimeline : public QQuickPaintedItem
{
    Q_OBJECT
    Q_PROPERTY(dimList *model READ model WRITE setModel NOTIFY modelChanged)
    Q_PROPERTY(songState *song READ song WRITE setSong NOTIFY songChanged)
    Q_PROPERTY(qint64 lengthMs READ lengthMs NOTIFY outlineChanged)
    Q_PROPERTY(qint64 playheadMs READ playheadMs WRITE setPlayheadMs NOTIFY playheadMsChanged)

  public:
    // What the strip draws of a song: its length, its waveform and its beats (ms, ascending).
    struct outline {
        qint64 lengthMs = 0;
        QVector<songPeak> peaks;
        QVector<double> beats;
    };

    explicit songTimeline(QQuickItem *parent = nullptr);

    dimList *model() const { return m_model; }
    void setModel(dimList *model);
    songState *song() const { return m_song; }
    // The strip reads the song's outline from it whenever it changes.
    void setSong(songState *song);
    // The song as drawn; a song set afterwards replaces it.
    void setOutline(const outline &song);
    qint64 lengthMs() const { return m_outline.lengthMs; }
    qint64 playheadMs() const { return m_playheadMs; }
    void setPlayheadMs(qint64 ms);

    // The steps of one pass from song time 0, as laid out from the model as it stands now,
    // and the length of a pass.
    const std::vector<showTimeline::span> &pass();
    qint64 passMs();
    // The row whose block lies under `ms` of the song, or -1 there is none.
    Q_INVOKABLE int rowAt(qint64 ms);

    void paint(QPainter *painter) override;

  signals:
    void modelChanged();
    void songChanged();
    void outlineChanged();
    void playheadMsChanged();
    // A press or a drag at this place of the song.
    void seekRequested(qint64 ms);

  protected:
    void updatePolish() override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

  private:
    void readSong();
    void markStale();
    void layOut();
    void seekTo(qreal x);
    // Where a time of the song lies across the item, and back.
    qreal xOf(double ms) const;
    qint64 timeSpan() const;
    void paintRuler(QPainter &painter, const QRectF &band) const;
    void paintWaveform(QPainter &painter, const QRectF &band) const;
    void paintBeats(QPainter &painter, const QRectF &band) const;
    void paintBlocks(QPainter &painter, const QRectF &band) const;

    QPointer<dimList> m_model;
    QPointer<songState> m_song;
    outline m_outline;
    qint64 m_playheadMs = 0;
    std::vector<showTimeline::span> m_pass;
    qint64 m_passMs = 0;
    int m_currentRow = -1;
    bool m_stale = false;
    QTimer m_later;
    QList<QMetaObject::Connection> m_modelLinks;
};

#endif
