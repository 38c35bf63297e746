#ifndef TEXTFACE_H
#define TEXTFACE_H

#include <QColor>
#include <QFont>
#include <QGlyphRun>
#include <QQuickItem>
#include <QVector>

// One line of text, drawn as a Text item of the same font and colour draws it under Qt Quick's
// software renderer, to the pixel. The faders' numbers change at every frame of a fade; a text
// item lays its text out anew and rebuilds its scene graph nodes at every change, which costs
// the window a third of its time during playback. Here the layouts of texts seen before are
// shared, and one node paints the glyphs with the renderer's own painter.
// Needs the software renderer; other renderers keep the text item.
// GUI thread, which alone lays out; updatePaintNode() and its node see only a copy of the
// layout, on whichever thread the render loop renders.
class textFace : public QQuickItem
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)
    Q_PROPERTY(QFont font READ font WRITE setFont NOTIFY fontChanged)

  public:
    explicit textFace(QQuickItem *parent = nullptr);

    // A text as laid out: its glyphs with their places in the item, the item's size as a
    // text item takes it, and the room the glyphs may cover.
    struct layout {
        QVector<QGlyphRun> runs;
        QSizeF size;
        QRectF bounds;
    };

    QString text() const;
    void setText(const QString &text);
    QColor color() const;
    void setColor(const QColor &color);
    QFont font() const;
    void setFont(const QFont &font);

  signals:
    void textChanged();
    void colorChanged();
    void fontChanged();

  protected:
    QSGNode *updatePaintNode(QSGNode *old, UpdatePaintNodeData *) override;

  private:
    void layOut();

    QString m_text;
    QColor m_color = Qt::black;
    QFont m_font;
    // Part of the key of the shared layouts; a font's key takes long to make.
    QString m_fontKey;
    layout m_layout;
};

#endif
