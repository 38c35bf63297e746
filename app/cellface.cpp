#include "cellface.h"

#include <QCache>
#include <QDataStream>
#include <QMutex>
#include <QPainter>
#include <QQuickWindow>
#include <QSGImageNode>
#include <QSGTransformNode>
#include <QtMath>

namespace
{

// Faces drawn so far, shared by all cells (and windows) that look alike: a table shows a
// few colours and some hundred bar heights.
QCache<QByteArray, QImage> g_faces(4096);
QMutex g_facesGuard;

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

QRectF cellFace::area(int part) const
{
    switch (part) {
    case Frame:
        return QRectF(0, 0, width(), height());
    case Bar:
        return QRectF(0, height() - m_barHeight, width(), m_barHeight);
    default:
        // A pixel of the bar's colour stays at its sides and bottom, and none at its top,
        // which would strike through the digits.
        return QRectF(1, height() - m_barHeight, width() - 2, m_barHeight - 1);
    }
}

QByteArray cellFace::key(qreal pixelRatio, int part) const
{
    QByteArray k;
    QDataStream out(&k, QIODevice::WriteOnly);
    const QRectF at = area(part);
    out << part << at << pixelRatio << m_radius;
    if (part == Frame)
        out << m_color.rgba() << m_borderColor.rgba() << m_borderWidth;
    else
        out << (part == Bar ? m_barColor : m_barFillColor).rgba();
    return k;
}

bool cellFace::drawn(int part) const
{
    const QRectF at = area(part);
    const QColor color = part == Frame ? m_color : part == Bar ? m_barColor : m_barFillColor;
    const bool border = part == Frame && m_borderWidth > 0 && m_borderColor.alpha() > 0;
    return at.width() > 0 && at.height() > 0 && (color.alpha() > 0 || border);
}

QImage cellFace::image(qreal pixelRatio, int part) const
{
    // A rectangle starting at a fraction of a pixel is drawn over whole pixels from there:
    // a bar whose height is no whole number reaches a pixel below the frame.
    const QRectF at = area(part);
    const QRect bounds = QRectF(at.topLeft(), QSizeF(at.toAlignedRect().size()))
                             .toAlignedRect()
                             .united(at.toAlignedRect());
    QImage face(bounds.size() * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    face.setDevicePixelRatio(pixelRatio);
    face.fill(Qt::transparent);
    face.setOffset(bounds.topLeft());
    QPainter painter(&face);
    painter.translate(at.topLeft() - bounds.topLeft());
    const QRectF local(QPointF(0, 0), at.size());
    if (part == Frame)
        paintRounded(painter, local, m_color, m_borderWidth, m_borderColor, m_radius, pixelRatio);
    else
        paintRounded(painter, local, part == Bar ? m_barColor : m_barFillColor, 0, Qt::transparent,
                     m_radius, pixelRatio);
    return face;
}

QImage cellFace::sharedImage(qreal pixelRatio, int part) const
{
    const QByteArray k = key(pixelRatio, part);
    {
        QMutexLocker lock(&g_facesGuard);
        if (QImage *known = g_faces.object(k))
            return *known;
    }
    const QImage face = image(pixelRatio, part);
    QMutexLocker lock(&g_facesGuard);
    g_faces.insert(k, new QImage(face));
    return face;
}

QSGImageNode *cellFace::emptyNode() const
{
    QImage nothing(1, 1, QImage::Format_ARGB32_Premultiplied);
    nothing.fill(Qt::transparent);
    QSGImageNode *node = window()->createImageNode();
    node->setOwnsTexture(true);
    node->setFiltering(QSGTexture::Nearest);
    node->setTexture(window()->createTextureFromImage(nothing));
    return node;
}

// Frame, bar and fill are three images: drawn into one, their antialiased corners, where
// they overlap, would blend with the rows below in another order than the renderer's. They
// hang from a transform node, as the software renderer places a node added later by the
// nearest transform, clip or opacity node above it.
QSGNode *cellFace::updatePaintNode(QSGNode *old, UpdatePaintNodeData *)
{
    if (width() <= 0 || height() <= 0) {
        delete old;
        return nullptr;
    }
    auto *node = static_cast<QSGTransformNode *>(old);
    if (!node) {
        node = new QSGTransformNode;
        for (int part = Frame; part <= Fill; ++part) {
            node->appendChildNode(emptyNode());
            m_shown[part].clear();
        }
    }
    const qreal ratio = window()->effectiveDevicePixelRatio();
    for (int part = Frame; part <= Fill; ++part) {
        auto *image = static_cast<QSGImageNode *>(node->childAtIndex(part));
        const QByteArray k = drawn(part) ? key(ratio, part) : QByteArray();
        if (k == m_shown[part])
            continue;
        m_shown[part] = k;
        if (k.isEmpty()) {
            image->setRect(QRectF());
            continue;
        }
        const QImage face = sharedImage(ratio, part);
        image->setTexture(window()->createTextureFromImage(face));
        image->setRect(QRectF(face.offset(), QSizeF(face.size()) / ratio));
    }
    return node;
}
