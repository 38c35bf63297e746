#ifndef CELLFACE_H
#define CELLFACE_H

#include <QColor>
#include <QImage>
#include <QQuickItem>

class QSGImageNode;

// The frame and level bar of a step table cell: a rounded rectangle with a border, and at
// its bottom a rounded bar of `barColor` whose sides and bottom stay in that colour around a
// fill of `barFillColor`. The table hands every cell in view new values at each page it
// turns while it follows playback, and a Qt Quick Rectangle draws its rounded corners anew
// on every change. Each part is an image drawn as Qt Quick's software renderer draws such a
// rectangle, so the table looks the same to the pixel, and cells that look alike share it.
class cellFace : public QQuickItem
{
    Q_OBJECT
    Q_PROPERTY(QColor color MEMBER m_color NOTIFY faceChanged)
    Q_PROPERTY(QColor borderColor MEMBER m_borderColor NOTIFY faceChanged)
    Q_PROPERTY(qreal borderWidth MEMBER m_borderWidth NOTIFY faceChanged)
    Q_PROPERTY(qreal radius MEMBER m_radius NOTIFY faceChanged)
    Q_PROPERTY(qreal barHeight MEMBER m_barHeight NOTIFY faceChanged)
    Q_PROPERTY(QColor barColor MEMBER m_barColor NOTIFY faceChanged)
    Q_PROPERTY(QColor barFillColor MEMBER m_barFillColor NOTIFY faceChanged)

  public:
    explicit cellFace(QQuickItem *parent = nullptr);

    enum Part { Frame, Bar, Fill };

    // A part as the item shows it at a device pixel ratio; the image's offset is its place
    // in the item.
    QImage image(qreal pixelRatio, int part) const;

  signals:
    void faceChanged();

  protected:
    QSGNode *updatePaintNode(QSGNode *old, UpdatePaintNodeData *) override;

  private:
    QRectF area(int part) const;
    bool drawn(int part) const;
    QByteArray key(qreal pixelRatio, int part) const;
    QImage sharedImage(qreal pixelRatio, int part) const;
    QSGImageNode *emptyNode() const;

    QColor m_color = Qt::white;
    QColor m_borderColor = Qt::black;
    qreal m_borderWidth = 0;
    qreal m_radius = 0;
    qreal m_barHeight = 0;
    QColor m_barColor = Qt::transparent;
    QColor m_barFillColor = Qt::transparent;
    // The frame, bar and fill the nodes show; empty for none.
    QByteArray m_shown[3];
};

#endif
