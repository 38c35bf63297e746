#ifndef CELLFACE_H
#define CELLFACE_H

#include <QColor>
#include <QImage>
#include <QQuickItem>
#include <QVector>

class QPainter;
class QSGImageNode;
class QTextLayout;

// The face of a step table cell: a rounded frame, at its bottom a rounded bar of the level
// whose sides and bottom keep the bar's colour around a lighter fill, and the number centred
// over them. The table hands every cell in view a new value at each page it turns while it
// follows playback; as rectangles and a text item with a binding each for their looks a cell
// cost a dozen scene graph nodes, which the software renderer walks, merges and paints one by
// one, and a text item makes its glyph node anew at every change. Here the looks follow from
// the value in one place, and a cell is two images drawn as Qt Quick's software renderer draws
// those items, so the table looks the same to the pixel; cells that look alike share them.
// GUI thread, except updatePaintNode(), which a threaded render loop calls on its render
// thread while the GUI thread waits; the shared images are made on both, under a mutex.
class cellFace : public QQuickItem
{
    Q_OBJECT
    Q_PROPERTY(int value MEMBER m_value NOTIFY faceChanged)
    // The column's top value: the bar is full there.
    Q_PROPERTY(int top MEMBER m_top NOTIFY faceChanged)
    // While a value is typed, the bar follows the text and the number is left to the editor.
    Q_PROPERTY(bool editing MEMBER m_editing NOTIFY faceChanged)
    Q_PROPERTY(QString editText MEMBER m_editText NOTIFY faceChanged)
    // A generated value shown before it is kept.
    Q_PROPERTY(bool previewed MEMBER m_previewed NOTIFY faceChanged)
    // The table column, and the columns (counted from 1) that end a fixture: the last
    // channel of a fixture is marked.
    Q_PROPERTY(int column MEMBER m_column NOTIFY faceChanged)
    Q_PROPERTY(QVariantList fixtureEnds READ fixtureEnds WRITE setFixtureEnds NOTIFY faceChanged)
    Q_PROPERTY(bool fixtureEnd READ fixtureEnd NOTIFY faceChanged)
    // The step number has no frame and no bar.
    Q_PROPERTY(bool framed MEMBER m_framed NOTIFY faceChanged)
    // The number is centred in this height from the top; the cell reaches below the face.
    Q_PROPERTY(qreal textHeight MEMBER m_textHeight NOTIFY faceChanged)

    Q_PROPERTY(QColor color READ color NOTIFY faceChanged)
    Q_PROPERTY(QColor borderColor READ borderColor NOTIFY faceChanged)
    Q_PROPERTY(qreal borderWidth READ borderWidth NOTIFY faceChanged)
    Q_PROPERTY(qreal barHeight READ barHeight NOTIFY faceChanged)
    Q_PROPERTY(QColor barColor READ barColor NOTIFY faceChanged)
    Q_PROPERTY(QColor barFillColor READ barFillColor CONSTANT)
    Q_PROPERTY(QString text READ text NOTIFY faceChanged)
    Q_PROPERTY(qreal contentWidth READ contentWidth NOTIFY faceChanged)
    // The number's size in pixels, from the cell's width and the number's digits.
    Q_PROPERTY(int fontPixelSize READ fontPixelSize NOTIFY faceChanged)

  public:
    explicit cellFace(QQuickItem *parent = nullptr);

    enum Part { Frame, Bar, Fill, Top };
    // A part's image, and for the top the patch over it, if any.
    struct faceImages {
        QImage face;
        QImage patch;
    };

    QColor color() const;
    QColor borderColor() const;
    qreal borderWidth() const;
    qreal barHeight() const;
    QColor barColor() const;
    QColor barFillColor() const;
    QString text() const;
    QVariantList fixtureEnds() const;
    void setFixtureEnds(const QVariantList &ends);
    bool fixtureEnd() const;
    // The width of the number as laid out.
    qreal contentWidth() const;
    int fontPixelSize() const;

  signals:
    void faceChanged();

  protected:
    QSGNode *updatePaintNode(QSGNode *old, UpdatePaintNodeData *) override;

  private:
    QRectF area(int part) const;
    QRect bounds(int part) const;
    QColor partColor(int part) const;
    qreal shownNumber() const;
    qreal textRoom() const;
    // The number laid out in the cell's font and room, as a centred text item lays it out.
    void layOutNumber(QTextLayout &layout) const;
    void paintText(QPainter &painter) const;
    bool drawn(int part) const;
    QByteArray key(qreal pixelRatio, int part) const;
    // A part as the item shows it at a device pixel ratio; the image's offset is its place
    // in the item. Top is all but the frame: the frame where it is opaque, with bar, fill
    // and number over it, and elsewhere what lies over the frame alone; its patch is the
    // fill where it blends over the bar's and the frame's corners at once.
    QImage image(qreal pixelRatio, int part) const;
    faceImages topImages(qreal pixelRatio) const;
    faceImages shared(const QByteArray &key, qreal pixelRatio, int part) const;
    QImage layer(const QRect &box, qreal pixelRatio, int part) const;
    static QImage blankImage(const QRect &box, qreal pixelRatio);
    QSGImageNode *imageNode() const;
    void show(QSGImageNode *node, const QImage &face) const;

    int m_value = 0;
    int m_top = 255;
    bool m_editing = false;
    QString m_editText;
    bool m_previewed = false;
    int m_column = -1;
    QVector<int> m_fixtureEnds;
    bool m_framed = true;
    qreal m_textHeight = -1;
    // The keys of the frame and the top the nodes show.
    QByteArray m_shownFrame;
    QByteArray m_shownTop;
};

#endif
