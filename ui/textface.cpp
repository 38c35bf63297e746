#include "textface.h"

#include <QCache>
#include <QPainter>
#include <QQuickWindow>
#include <QSGRenderNode>
#include <QSGRendererInterface>
#include <QTextLayout>

namespace
{

// The texts laid out so far, shared by all faces: a window shows a few fonts and some
// hundred numbers. Only the GUI thread lays out.
QCache<QString, textFace::layout> g_layouts(4096);

// Room for the rasteriser's antialiasing around the glyphs' outlines. No more: the renderer
// repaints what a moving node covered, and a number reaching past the fader's repaint mark
// leaves slivers of dirty region that every node of the window is then checked against.
const qreal glyphMargin = 1;

// Paints the glyphs where the renderer would paint a text item's glyph node: with its
// painter, transform, opacity and the region it repaints.
class textNode : public QSGRenderNode
{
  public:
    explicit textNode(QQuickWindow *window) : m_window(window) {}

    void show(const textFace::layout &layout, const QColor &color)
    {
        m_runs = layout.runs;
        m_bounds = layout.bounds;
        m_color = color;
        markDirty(QSGNode::DirtyMaterial);
    }

    StateFlags changedStates() const override { return {}; }
    RenderingFlags flags() const override { return BoundedRectRendering; }
    QRectF rect() const override { return m_bounds; }

    void render(const RenderState *state) override
    {
        QSGRendererInterface *renderer = m_window->rendererInterface();
        auto *painter = static_cast<QPainter *>(
            renderer->getResource(m_window, QSGRendererInterface::PainterResource));
        if (!painter)
            return;
        painter->setTransform(QTransform());
        if (state->clipRegion())
            painter->setClipRegion(*state->clipRegion(), Qt::ReplaceClip);
        painter->setTransform(matrix()->toTransform());
        painter->setOpacity(inheritedOpacity());
        painter->setBrush(QBrush());
        painter->setPen(m_color);
        for (const QGlyphRun &run : qAsConst(m_runs))
            painter->drawGlyphRun(QPointF(0, 0), run);
    }

  private:
    QQuickWindow *m_window;
    QVector<QGlyphRun> m_runs;
    QRectF m_bounds;
    QColor m_color;
};

// A single line laid out as a text item of no set width lays it out.
textFace::layout laidOut(const QString &text, const QFont &font)
{
    QTextLayout lines(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setUseDesignMetrics(true);
    lines.setTextOption(option);
    lines.beginLayout();
    QTextLine line = lines.createLine();
    if (line.isValid())
        line.setPosition(QPointF(0, 0));
    lines.endLayout();
    textFace::layout made;
    if (!line.isValid())
        return made;
    made.size = QSizeF(line.naturalTextWidth(), line.height());
    const QList<QGlyphRun> runs = lines.glyphRuns();
    for (const QGlyphRun &run : runs) {
        made.runs.append(run);
        made.bounds |= run.boundingRect();
    }
    made.bounds.adjust(-glyphMargin, -glyphMargin, glyphMargin, glyphMargin);
    return made;
}

} // namespace

textFace::textFace(QQuickItem *parent) : QQuickItem(parent)
{
    setFlag(ItemHasContents);
    m_fontKey = m_font.key() + QLatin1Char('\n');
    layOut();
}

QString textFace::text() const
{
    return m_text;
}

void textFace::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    layOut();
    emit textChanged();
}

QColor textFace::color() const
{
    return m_color;
}

void textFace::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
    emit colorChanged();
}

QFont textFace::font() const
{
    return m_font;
}

void textFace::setFont(const QFont &font)
{
    if (font == m_font)
        return;
    m_font = font;
    m_fontKey = font.key() + QLatin1Char('\n');
    layOut();
    emit fontChanged();
}

void textFace::layOut()
{
    const QString key = m_fontKey + m_text;
    if (const layout *known = g_layouts.object(key)) {
        m_layout = *known;
    } else {
        m_layout = laidOut(m_text, m_font);
        g_layouts.insert(key, new layout(m_layout));
    }
    setImplicitSize(m_layout.size.width(), m_layout.size.height());
    update();
}

QSGNode *textFace::updatePaintNode(QSGNode *old, UpdatePaintNodeData *)
{
    const bool drawn = !m_layout.runs.isEmpty() && window()->rendererInterface()->graphicsApi() ==
                                                       QSGRendererInterface::Software;
    if (!drawn) {
        delete old;
        return nullptr;
    }
    auto *node = old ? static_cast<textNode *>(old) : new textNode(window());
    node->show(m_layout, m_color);
    return node;
}
