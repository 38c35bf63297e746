#include "songtimeline.h"

#include "dim.h"
#include "dmx.h"
#include "undohistory.h"

#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

#include <algorithm>
#include <iterator>

namespace
{

// The window's colours: the table's backdrop, its headers and range, the status bar's blue.
const QColor backdrop(0xffffff);
const QColor rulerColor(0xb0c4de);   // lightsteelblue
const QColor waveColor(0x25b1e8);    // the status bar's progress
const QColor beatColor(0xa0a0a0);    // the table's frame
const QColor barBeatColor(0x4682b4); // steelblue
const QColor blockColor(0xd3d3d3);   // lightgray
const QColor blockEdgeColor(0x808080);
const QColor currentBlockColor(0xadd8e6); // lightblue
const QColor playheadColor(Qt::red);

const qreal rulerHeight = 14;
const qreal blocksHeight = 22;
// Ruler labels at least this far apart, and the steps of seconds they may take.
const qreal labelSpacing = 60;
const int labelSteps[] = {1, 2, 5, 10, 15, 30, 60, 120, 300, 600};
// Beats closer than this are drawn only where a bar starts.
const qreal beatSpacing = 4;

QString clockText(qint64 seconds)
{
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

songTimeline::songTimeline(QQuickItem *parent) : QQuickPaintedItem(parent)
{
    setAcceptedMouseButtons(Qt::LeftButton);
    m_later.setSingleShot(true);
    m_later.setInterval(0);
    connect(&m_later, &QTimer::timeout, this, [this] {
        if (m_stale)
            layOut();
    });
}

void songTimeline::setModel(dimList *model)
{
    if (model == m_model)
        return;
    for (const QMetaObject::Connection &link : qAsConst(m_modelLinks))
        disconnect(link);
    m_modelLinks.clear();
    m_model = model;
    if (model) {
        auto stale = [this] { markStale(); };
        m_modelLinks << connect(model, &QAbstractItemModel::dataChanged, this, stale)
                     << connect(model, &QAbstractItemModel::rowsInserted, this, stale)
                     << connect(model, &QAbstractItemModel::rowsRemoved, this, stale)
                     << connect(model, &QAbstractItemModel::rowsMoved, this, stale)
                     << connect(model, &QAbstractItemModel::modelReset, this, stale)
                     << connect(model, &dimList::playRangeChanged, this, stale)
                     << connect(model, &dimList::speedMasterChanged, this, stale)
                     << connect(model, &dimList::betweenChanged, this, stale)
                     // A typed cell is told to the history alone.
                     << connect(model->changeHistory(), &undoHistory::changed, this, stale)
                     << connect(model, &dimList::currentRowChanged, this, [this](int row) {
                            m_currentRow = row;
                            update();
                        });
        // The snap flags decide when a fade has arrived, and so how long a step plays.
        for (QObject *channel : model->output()->channels())
            m_modelLinks << connect(static_cast<dim *>(channel), &dim::dimEnChanged, this, stale);
        m_currentRow = model->currentRow();
    }
    markStale();
    emit modelChanged();
}

void songTimeline::setSong(songState *song)
{
    if (song == m_song)
        return;
    if (m_song)
        disconnect(m_song, nullptr, this, nullptr);
    m_song = song;
    if (song) {
        connect(song, &songState::linkChanged, this, &songTimeline::readSong);
        connect(song, &songState::analysisChanged, this, &songTimeline::readSong);
        connect(song, &songState::beatsChanged, this, &songTimeline::readSong);
    }
    readSong();
    emit songChanged();
}

void songTimeline::readSong()
{
    outline read;
    if (m_song && m_song->readable()) {
        read.lengthMs = m_song->lengthMs();
        read.peaks = m_song->analysis().peaks;
        read.beats = m_song->beats();
    }
    setOutline(read);
}

void songTimeline::setOutline(const outline &song)
{
    m_outline = song;
    update();
    emit outlineChanged();
}

void songTimeline::setPlayheadMs(qint64 ms)
{
    if (ms == m_playheadMs)
        return;
    m_playheadMs = ms;
    update();
    emit playheadMsChanged();
}

void songTimeline::markStale()
{
    m_stale = true;
    m_later.start();
    // A frame drawn before the timer fires lays the blocks out first.
    polish();
}

void songTimeline::updatePolish()
{
    if (m_stale)
        layOut();
}

void songTimeline::layOut()
{
    m_stale = false;
    m_later.stop();
    m_pass.clear();
    m_passMs = 0;
    if (m_model) {
        const auto timeline = showTimeline::build(m_model->playSetup());
        if (timeline)
            m_pass = timeline->pass();
        if (!m_pass.empty())
            m_passMs = m_pass.back().startMs + m_pass.back().lengthMs;
    }
    update();
}

const std::vector<showTimeline::span> &songTimeline::pass()
{
    if (m_stale)
        layOut();
    return m_pass;
}

qint64 songTimeline::passMs()
{
    if (m_stale)
        layOut();
    return m_passMs;
}

int songTimeline::rowAt(qint64 ms)
{
    if (ms < 0 || passMs() <= 0)
        return -1;
    const qint64 into = ms % m_passMs;
    // The last block that starts at or before `into`: a block's start is its own.
    auto after = std::upper_bound(
        m_pass.begin(), m_pass.end(), into,
        [](qint64 at, const showTimeline::span &step) { return at < step.startMs; });
    return after == m_pass.begin() ? -1 : std::prev(after)->row;
}

void songTimeline::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    seekTo(event->localPos().x());
}

void songTimeline::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    seekTo(event->localPos().x());
}

void songTimeline::seekTo(qreal x)
{
    const qint64 span = timeSpan();
    if (span <= 0 || width() <= 0)
        return;
    emit seekRequested(qBound<qint64>(0, qRound64(x / width() * span), span));
}

qint64 songTimeline::timeSpan() const
{
    // Without a song the strip still shows one pass.
    return m_outline.lengthMs > 0 ? m_outline.lengthMs : m_passMs;
}

qreal songTimeline::xOf(double ms) const
{
    const qint64 span = timeSpan();
    return span > 0 ? ms * width() / span : 0;
}

void songTimeline::paint(QPainter *painter)
{
    const QRectF whole(0, 0, width(), height());
    painter->fillRect(whole, backdrop);
    if (timeSpan() <= 0)
        return;
    const qreal blocksTop = qMax(rulerHeight, height() - blocksHeight);
    const QRectF ruler(0, 0, width(), rulerHeight);
    const QRectF wave(0, rulerHeight, width(), qMax(0.0, blocksTop - rulerHeight));
    const QRectF blocks(0, blocksTop, width(), height() - blocksTop);
    paintWaveform(*painter, wave);
    paintBeats(*painter, wave);
    paintBlocks(*painter, blocks);
    paintRuler(*painter, ruler);
    const qreal head = qFloor(xOf(double(m_playheadMs)));
    painter->fillRect(QRectF(head - 1, 0, 2, height()), playheadColor);
}

void songTimeline::paintRuler(QPainter &painter, const QRectF &band) const
{
    painter.fillRect(band, rulerColor);
    const qint64 spanMs = timeSpan();
    int step = labelSteps[std::size(labelSteps) - 1];
    for (int seconds : labelSteps) {
        if (xOf(seconds * 1000.0) >= labelSpacing) {
            step = seconds;
            break;
        }
    }
    QFont font = painter.font();
    font.setPixelSize(10);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (qint64 seconds = 0; seconds * 1000 <= spanMs; seconds += step) {
        const qreal x = qFloor(xOf(seconds * 1000.0));
        painter.fillRect(QRectF(x, band.bottom() - 4, 1, 4), Qt::black);
        painter.drawText(QRectF(x + 3, band.top(), labelSpacing, band.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, clockText(seconds));
    }
}

void songTimeline::paintWaveform(QPainter &painter, const QRectF &band) const
{
    const int count = m_outline.peaks.size();
    const int columns = qFloor(width());
    if (count == 0 || columns <= 0 || band.height() <= 0)
        return;
    const qreal middle = band.center().y();
    const qreal half = band.height() / 2;
    for (int x = 0; x < columns; ++x) {
        const int from = int(qint64(x) * count / columns);
        const int to = qMax(from + 1, int(qint64(x + 1) * count / columns));
        float low = 0, high = 0;
        for (int i = from; i < to && i < count; ++i) {
            low = qMin(low, m_outline.peaks[i].low);
            high = qMax(high, m_outline.peaks[i].high);
        }
        const qreal top = middle - qBound(0.0f, high, 1.0f) * half;
        const qreal bottom = middle - qBound(-1.0f, low, 0.0f) * half;
        painter.fillRect(QRectF(x, top, 1, qMax(1.0, bottom - top)), waveColor);
    }
}

void songTimeline::paintBeats(QPainter &painter, const QRectF &band) const
{
    const QVector<double> &beats = m_outline.beats;
    if (beats.isEmpty())
        return;
    const bool everyBeat = width() / beats.size() >= beatSpacing;
    for (int i = 0; i < beats.size(); ++i) {
        const bool barStart = i % 4 == 0;
        if (!barStart && !everyBeat)
            continue;
        const qreal x = qFloor(xOf(beats[i]));
        painter.fillRect(QRectF(x, band.top(), 1, band.height()),
                         barStart ? barBeatColor : beatColor);
    }
}

void songTimeline::paintBlocks(QPainter &painter, const QRectF &band) const
{
    if (m_passMs <= 0)
        return;
    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);
    const qint64 spanMs = timeSpan();
    for (qint64 passStart = 0; passStart < spanMs; passStart += m_passMs) {
        for (const showTimeline::span &step : m_pass) {
            const qint64 start = passStart + step.startMs;
            if (start >= spanMs)
                break;
            const qreal left = qFloor(xOf(double(start)));
            const qreal right = qFloor(xOf(double(qMin(start + step.lengthMs, spanMs))));
            const QRectF block(left, band.top(), qMax(1.0, right - left), band.height());
            const bool current = step.row == m_currentRow;
            painter.fillRect(block, current ? currentBlockColor : blockColor);
            // The left edge marks where the step starts.
            painter.fillRect(QRectF(left, band.top(), 1, band.height()),
                             current ? barBeatColor : blockEdgeColor);
            const QString label = QString::number(step.row);
            if (painter.fontMetrics().horizontalAdvance(label) + 4 <= block.width()) {
                painter.setPen(Qt::black);
                painter.drawText(block.adjusted(3, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                                 label);
            }
        }
    }
}
