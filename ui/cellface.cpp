#include "cellface.h"

#include <algorithm>

#include <QCache>
#include <QMutex>
#include <QPainter>
#include <QQuickWindow>
#include <QSGImageNode>
#include <QTextLayout>
#include <QtMath>
#include <cstring>

namespace
{

// Faces drawn so far, shared by all cells (and windows) that look alike: a table shows a
// few colours, some hundred bar heights and numbers, and a few column widths. Counted in
// bytes, so that wide columns or a high pixel ratio cannot make it grow past this.
QCache<QByteArray, cellFace::faceImages> g_faces(24 << 20);
QMutex g_facesGuard;

// Half a length as anchors that centre an item take it: an odd whole length rounds up, so
// that centred items keep to whole pixels.
// The corners of frame and bar.
const qreal faceRadius = 2;

qreal centreOf(qreal length)
{
    return int(length) % 2 ? (length + 1) / 2 : length / 2;
}

// The number laid out as a centred single-line Text item of `width` lays it out.
void layOutText(QTextLayout &layout, qreal width)
{
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::NoWrap);
    option.setUseDesignMetrics(true);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, 0));
    }
    layout.endLayout();
}

// The corners of a rounded rectangle, as the software renderer draws them: a circle of the
// border colour with one of the fill colour inside, both antialiased.
QImage cornerImage(int radius, qreal pixelRatio, const QColor &color, qreal penWidth,
                   const QColor &penColor)
{
    const int side = qRound(radius * 2 * pixelRatio);
    QImage corners(side, side, QImage::Format_ARGB32_Premultiplied);
    corners.setDevicePixelRatio(pixelRatio);
    corners.fill(Qt::transparent);
    if (radius <= 0)
        return corners;
    QPainter painter(&corners);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setPen(Qt::NoPen);
    if (penWidth > 0) {
        painter.setBrush(penColor);
        painter.drawRoundedRect(QRectF(0, 0, radius * 2, radius * 2), radius, radius);
    }
    if (radius > penWidth) {
        painter.setBrush(color);
        const QMarginsF pen(penWidth, penWidth, penWidth, penWidth);
        painter.drawRoundedRect(QRectF(0, 0, radius * 2, radius * 2).marginsRemoved(pen), radius,
                                radius);
    }
    return corners;
}

void fillIfValid(QPainter &painter, const QRectF &rect, const QColor &color)
{
    if (rect.isValid())
        painter.fillRect(rect, color);
}

// One rounded rectangle over `rect` as Qt Quick's software renderer paints a Rectangle item:
// the border from rectangles, the four corners from the corner image, the inside from three
// rectangles, nothing antialiased but the corners.
void paintRounded(QPainter &painter, const QRectF &itemRect, const QColor &color, qreal penWidth,
                  const QColor &penColor, qreal radiusWanted, qreal pixelRatio)
{
    const QRect rect = itemRect.toAlignedRect();
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    if (color.alpha() == 0 && (penWidth <= 0 || penColor.alpha() == 0))
        return;
    if (penColor == Qt::transparent)
        penWidth = 0;
    const int radius = qFloor(qMin(qMin(rect.width(), rect.height()) * 0.5, radiusWanted));
    const qreal x = rect.x(), y = rect.y(), w = rect.width(), h = rect.height();
    if (penWidth > 0) {
        const qreal bw = qMin(penWidth, w * 0.5);
        const qreal bh = qMin(penWidth, h * 0.5);
        if (bw > radius) {
            fillIfValid(painter,
                        QRectF(QPointF(x + radius, y), QPointF(x + w - radius, y + radius)),
                        penColor);
            fillIfValid(painter, QRectF(QPointF(x + bw, y + radius), QPointF(x + w - bw, y + bh)),
                        penColor);
            fillIfValid(painter,
                        QRectF(QPointF(x + radius, y + h - radius), QPointF(x + w - radius, y + h)),
                        penColor);
            fillIfValid(painter,
                        QRectF(QPointF(x + bw, y + h - bh), QPointF(x + w - bw, y + h - radius)),
                        penColor);
        } else {
            fillIfValid(painter, QRectF(QPointF(x + radius, y), QPointF(x + w - radius, y + bh)),
                        penColor);
            fillIfValid(painter,
                        QRectF(QPointF(x + radius, y + h - bh), QPointF(x + w - radius, y + h)),
                        penColor);
        }
        fillIfValid(painter, QRectF(QPointF(x, y + radius), QPointF(x + bw, y + h - radius)),
                    penColor);
        fillIfValid(painter,
                    QRectF(QPointF(x + w - bw, y + radius), QPointF(x + w, y + h - radius)),
                    penColor);
    }
    if (radius > 0) {
        const QImage corners = cornerImage(radius, pixelRatio, color, penWidth, penColor);
        const int s = qRound(radius * pixelRatio);
        if (radius * 2 >= w && radius * 2 >= h) {
            painter.drawImage(QRectF(rect), corners, corners.rect());
        } else {
            painter.drawImage(QRectF(QPointF(x, y), QPointF(x + radius, y + radius)), corners,
                              QRectF(0, 0, s, s));
            painter.drawImage(QRectF(QPointF(x + w - radius, y), QPointF(x + w, y + radius)),
                              corners, QRectF(s, 0, s, s));
            painter.drawImage(QRectF(QPointF(x, y + h - radius), QPointF(x + radius, y + h)),
                              corners, QRectF(0, s, s, s));
            painter.drawImage(
                QRectF(QPointF(x + w - radius, y + h - radius), QPointF(x + w, y + h)), corners,
                QRectF(s, s, s, s));
        }
    }
    QRectF inside = QRectF(rect).marginsRemoved(QMarginsF(penWidth, penWidth, penWidth, penWidth));
    inside.setWidth(qMax(0.0, inside.width()));
    inside.setHeight(qMax(0.0, inside.height()));
    const qreal r = qMax(0.0, radius - penWidth);
    if (color.alpha() == 0)
        return;
    if (r <= 0) {
        painter.fillRect(inside, color);
        return;
    }
    const qreal ix = inside.x(), iy = inside.y(), iw = inside.width(), ih = inside.height();
    painter.fillRect(QRectF(QPointF(ix + r, iy), QPointF(ix + iw - r, iy + ih)), color);
    painter.fillRect(QRectF(QPointF(ix, iy + r), QPointF(ix + r, iy + ih - r)), color);
    painter.fillRect(QRectF(QPointF(ix + iw - r, iy + r), QPointF(ix + iw, iy + ih - r)), color);
}

} // namespace

cellFace::cellFace(QQuickItem *parent) : QQuickItem(parent)
{
    setFlag(ItemHasContents);
    connect(this, &cellFace::faceChanged, this, &QQuickItem::update);
    connect(this, &QQuickItem::widthChanged, this, &QQuickItem::update);
    connect(this, &QQuickItem::heightChanged, this, &QQuickItem::update);
}

// The number shown, read as the script reads typed text: blank is 0, anything but a number
// is none.
static qreal numberOf(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return 0;
    bool ok = false;
    const qreal number = trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                             ? trimmed.mid(2).toLongLong(&ok, 16)
                             : trimmed.toDouble(&ok);
    return ok ? number : qQNaN();
}

qreal cellFace::shownNumber() const
{
    return m_editing ? numberOf(m_editText) : m_value;
}

QColor cellFace::color() const
{
    return QColor(shownNumber() == 128 ? 0xb0c4de : 0xd3d3d3); // lightsteelblue, lightgray
}

QColor cellFace::borderColor() const
{
    if (m_previewed)
        return QColor(0xff8c00);                       // darkorange
    return QColor(fixtureEnd() ? 0xffff00 : 0x808080); // yellow, gray
}

qreal cellFace::borderWidth() const
{
    return m_previewed ? 2 : 1;
}

qreal cellFace::barHeight() const
{
    const qreal number = shownNumber();
    return number > 0 && m_top > 0 ? height() * std::fmod(number, m_top + 1.0) / m_top : 0;
}

QColor cellFace::barColor() const
{
    return QColor(fixtureEnd() ? 0xffff00 : 0x4682b4); // yellow, steelblue
}

QColor cellFace::barFillColor() const
{
    return QColor(0xb0c4de); // lightsteelblue
}

QString cellFace::text() const
{
    return m_editing ? QString() : QString::number(m_value);
}

QVariantList cellFace::fixtureEnds() const
{
    QVariantList ends;
    for (int end : m_fixtureEnds)
        ends.append(end);
    return ends;
}

void cellFace::setFixtureEnds(const QVariantList &ends)
{
    QVector<int> columns;
    for (const QVariant &end : ends)
        columns.append(end.toInt());
    std::sort(columns.begin(), columns.end());
    if (columns == m_fixtureEnds)
        return;
    m_fixtureEnds = columns;
    emit faceChanged();
}

bool cellFace::fixtureEnd() const
{
    return std::binary_search(m_fixtureEnds.cbegin(), m_fixtureEnds.cend(), m_column + 1);
}

QColor cellFace::partColor(int part) const
{
    return part == Frame ? color() : part == Bar ? barColor() : barFillColor();
}

QRectF cellFace::area(int part) const
{
    const qreal bar = barHeight();
    switch (part) {
    case Frame:
        return QRectF(0, 0, width(), height());
    case Bar:
        return QRectF(0, height() - bar, width(), bar);
    case Fill:
        // A pixel of the bar's colour stays at its sides and bottom, and none at its top,
        // which would strike through the digits.
        return QRectF(1, height() - bar, width() - 2, bar - 1);
    default:
        return QRectF(0, 0, width(), qMax(height(), m_textHeight)).united(area(Bar));
    }
}

QRect cellFace::bounds(int part) const
{
    const QRectF at = area(part);
    return QRectF(at.topLeft(), QSizeF(at.toAlignedRect().size()))
        .toAlignedRect()
        .united(at.toAlignedRect());
}

int cellFace::fontPixelSize() const
{
    // Three digits shrink to fit a narrow channel column rather than run together; worked
    // out from the digit count, as trial layouts would cost every page.
    const qreal room = width() - 6;
    return qMax(6, qMin(13, qFloor(room / (qMax(1, int(text().size())) * 0.66))));
}

// Clear of the borders, so that neighbouring numbers never touch.
qreal cellFace::textRoom() const
{
    return width() - 6;
}

void cellFace::layOutNumber(QTextLayout &layout) const
{
    QFont font;
    font.setPixelSize(fontPixelSize());
    layout.setFont(font);
    layOutText(layout, textRoom());
}

qreal cellFace::contentWidth() const
{
    QTextLayout layout(text());
    layOutNumber(layout);
    return layout.lineCount() > 0 ? layout.lineAt(0).naturalTextWidth() : 0;
}

void cellFace::paintText(QPainter &painter) const
{
    const QString number = text();
    if (number.isEmpty())
        return;
    QTextLayout layout(number);
    layOutNumber(layout);
    const qreal box = m_textHeight >= 0 ? m_textHeight : height();
    const QPointF at(centreOf(width()) - centreOf(textRoom()),
                     centreOf(box) - centreOf(layout.lineAt(0).height()));
    painter.setPen(Qt::black);
    for (const QGlyphRun &run : layout.glyphRuns())
        painter.drawGlyphRun(at, run);
}

// Everything a part's pixels depend on, as plain bytes: a cell asks for its keys at every
// change, and a stream would cost more than the lookup.
struct faceKey {
    int part;
    QRgb color, borderColor, barColor, fillColor;
    qreal pixelRatio, borderWidth, textHeight;
    qreal at[4], bar[4];
    ushort text[8];
};

QByteArray cellFace::key(qreal pixelRatio, int part) const
{
    faceKey k;
    memset(&k, 0, sizeof k);
    k.part = m_framed ? part : part | 0x100;
    k.pixelRatio = pixelRatio;
    const QRectF at = area(part);
    at.getRect(&k.at[0], &k.at[1], &k.at[2], &k.at[3]);
    const bool whole = part == Top;
    if (part == Frame || whole) {
        k.color = color().rgba();
        k.borderColor = borderColor().rgba();
        k.borderWidth = borderWidth();
    }
    if (part == Bar || whole) {
        k.barColor = barColor().rgba();
        area(Bar).getRect(&k.bar[0], &k.bar[1], &k.bar[2], &k.bar[3]);
    }
    if (part == Fill || whole)
        k.fillColor = barFillColor().rgba();
    // Numbers of up to eight digits fit the key; longer text follows it.
    const QString number = whole ? text() : QString();
    const int kept = qMin(int(number.size()), 8);
    if (whole) {
        k.textHeight = m_textHeight;
        memcpy(k.text, number.utf16(), kept * sizeof(ushort));
    }
    QByteArray bytes(reinterpret_cast<const char *>(&k), sizeof k);
    if (number.size() > kept)
        bytes += number.mid(kept).toUtf8();
    return bytes;
}

bool cellFace::drawn(int part) const
{
    if (!m_framed && part != Top)
        return false;
    if (part == Top)
        return drawn(Bar) || drawn(Fill) || !m_editing;
    const QRectF at = area(part);
    return at.width() > 0 && at.height() > 0;
}

QImage cellFace::blankImage(const QRect &box, qreal pixelRatio)
{
    QImage face(box.size() * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    face.setDevicePixelRatio(pixelRatio);
    face.fill(Qt::transparent);
    face.setOffset(box.topLeft());
    return face;
}

QImage cellFace::image(qreal pixelRatio, int part) const
{
    const QRectF at = area(part);
    QImage face = blankImage(bounds(part), pixelRatio);
    QPainter painter(&face);
    painter.translate(at.topLeft() - face.offset());
    const QRectF local(QPointF(0, 0), at.size());
    if (part == Frame)
        paintRounded(painter, local, color(), borderWidth(), borderColor(), faceRadius, pixelRatio);
    else
        paintRounded(painter, local, partColor(part), 0, Qt::transparent, faceRadius, pixelRatio);
    return face;
}

QImage cellFace::layer(const QRect &box, qreal pixelRatio, int part) const
{
    QImage layer = blankImage(box, pixelRatio);
    if (drawn(part)) {
        const QImage face = shared(key(pixelRatio, part), pixelRatio, part).face;
        QPainter painter(&layer);
        painter.translate(-QPointF(box.topLeft()));
        painter.drawImage(QPointF(face.offset()), face);
    }
    return layer;
}

// Over the frame's opaque pixels the renderer would paint bar, fill and number onto pixels
// it knows, so the top holds the finished pixels there. Where the frame lets the row show
// through, the top holds what lies above the frame, painted on nothing, which the renderer
// blends over the frame's own node as it would have blended it. Where bar and fill both
// blend there (the top corners of a full bar), the top takes the bar and the patch above it
// the fill, as blending them into one first would come out a step of colour off.
cellFace::faceImages cellFace::topImages(qreal pixelRatio) const
{
    const QRect box = bounds(Top);
    faceImages made{blankImage(box, pixelRatio), blankImage(box, pixelRatio)};
    QImage &top = made.face;
    QImage above = blankImage(box, pixelRatio);
    bool patched = false;
    const QImage frame = layer(box, pixelRatio, Frame);
    const QImage bar = layer(box, pixelRatio, Bar);
    const QImage fill = layer(box, pixelRatio, Fill);
    for (QImage *target : {&top, &above}) {
        QPainter painter(target);
        if (target == &top)
            painter.drawImage(0, 0, frame);
        painter.drawImage(0, 0, bar);
        painter.drawImage(0, 0, fill);
        painter.translate(-QPointF(box.topLeft()));
        paintText(painter);
    }
    for (int y = 0; y < top.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(top.scanLine(y));
        auto *patchLine = reinterpret_cast<QRgb *>(made.patch.scanLine(y));
        const auto *bare = reinterpret_cast<const QRgb *>(above.constScanLine(y));
        const auto *frameLine = reinterpret_cast<const QRgb *>(frame.constScanLine(y));
        const auto *barLine = reinterpret_cast<const QRgb *>(bar.constScanLine(y));
        const auto *fillLine = reinterpret_cast<const QRgb *>(fill.constScanLine(y));
        for (int x = 0; x < top.width(); ++x) {
            if (qAlpha(frameLine[x]) == 255)
                continue;
            const int fillAlpha = qAlpha(fillLine[x]);
            const bool both = qAlpha(barLine[x]) > 0 && fillAlpha > 0 && fillAlpha < 255;
            line[x] = both ? barLine[x] : bare[x];
            patchLine[x] = both ? fillLine[x] : 0;
            patched = patched || both;
        }
    }
    if (!patched)
        made.patch = QImage();
    return made;
}

cellFace::faceImages cellFace::shared(const QByteArray &key, qreal pixelRatio, int part) const
{
    {
        QMutexLocker lock(&g_facesGuard);
        if (faceImages *known = g_faces.object(key))
            return *known;
    }
    const faceImages made =
        part == Top ? topImages(pixelRatio) : faceImages{image(pixelRatio, part), {}};
    const qsizetype bytes = made.face.sizeInBytes() + made.patch.sizeInBytes();
    QMutexLocker lock(&g_facesGuard);
    g_faces.insert(key, new faceImages(made), qMax(1, int(bytes)));
    return made;
}

QSGImageNode *cellFace::imageNode() const
{
    QImage nothing(1, 1, QImage::Format_ARGB32_Premultiplied);
    nothing.fill(Qt::transparent);
    QSGImageNode *node = window()->createImageNode();
    node->setOwnsTexture(true);
    node->setFiltering(QSGTexture::Nearest);
    node->setTexture(window()->createTextureFromImage(nothing));
    return node;
}

void cellFace::show(QSGImageNode *node, const QImage &face) const
{
    if (face.isNull()) {
        node->setRect(QRectF());
        return;
    }
    const qreal ratio = face.devicePixelRatio();
    node->setTexture(window()->createTextureFromImage(face));
    node->setRect(QRectF(face.offset(), QSizeF(face.size()) / ratio));
}

// The frame's node carries the top and, where it is needed, the patch, so that a cell adds
// two nodes to the scene as a rule: the renderer walks every node of every cell it moves.
QSGNode *cellFace::updatePaintNode(QSGNode *old, UpdatePaintNodeData *)
{
    if (width() <= 0 || height() <= 0) {
        delete old;
        return nullptr;
    }
    auto *frame = static_cast<QSGImageNode *>(old);
    if (!frame) {
        frame = imageNode();
        frame->appendChildNode(imageNode());
        m_shownFrame.clear();
        m_shownTop.clear();
    }
    const qreal ratio = window()->effectiveDevicePixelRatio();
    const QByteArray frameKey = drawn(Frame) ? key(ratio, Frame) : QByteArray();
    if (frameKey != m_shownFrame) {
        m_shownFrame = frameKey;
        show(frame, frameKey.isEmpty() ? QImage() : shared(frameKey, ratio, Frame).face);
    }
    const QByteArray topKey = key(ratio, Top);
    if (topKey == m_shownTop)
        return frame;
    m_shownTop = topKey;
    const faceImages top = shared(topKey, ratio, Top);
    show(static_cast<QSGImageNode *>(frame->firstChild()), top.face);
    if (!top.patch.isNull() && frame->childCount() < 2)
        frame->appendChildNode(imageNode());
    else if (top.patch.isNull() && frame->childCount() > 1)
        delete frame->lastChild();
    if (!top.patch.isNull())
        show(static_cast<QSGImageNode *>(frame->lastChild()), top.patch);
    return frame;
}
