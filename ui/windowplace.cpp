#include "windowplace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

namespace
{
const char kGeometryKey[] = "window/geometry";
const char kMaximizedKey[] = "window/maximized";
const char kSongStripKey[] = "window/songStrip";

// The offscreen and minimal platforms draw into memory: their screen is a fixed size that
// says nothing about room.
bool realScreens()
{
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}
} // namespace

windowPlace::windowPlace(QObject *parent)
    : QObject(parent), m_songStripShown(QSettings().value(kSongStripKey, true).toBool())
{
}

void windowPlace::setSongStripShown(bool shown)
{
    if (shown == m_songStripShown)
        return;
    m_songStripShown = shown;
    QSettings().setValue(kSongStripKey, shown);
    emit songStripShownChanged();
}

windowPlace::~windowPlace()
{
    save();
}

void windowPlace::setWindow(QWindow *window)
{
    if (window == m_window)
        return;
    save();
    if (m_window) {
        m_window->disconnect(this);
        m_window->removeEventFilter(this);
    }
    m_window = window;
    if (m_window) {
        restore();
        connect(m_window, &QWindow::xChanged, this, &windowPlace::remember);
        connect(m_window, &QWindow::yChanged, this, &windowPlace::remember);
        connect(m_window, &QWindow::widthChanged, this, &windowPlace::remember);
        connect(m_window, &QWindow::heightChanged, this, &windowPlace::remember);
        connect(m_window, &QWindow::windowStateChanged, this, &windowPlace::remember);
        // Hidden, or about to close while its geometry still holds.
        connect(m_window, &QWindow::visibleChanged, this, [this](bool visible) {
            if (!visible)
                save();
        });
        m_window->installEventFilter(this);
    }
    emit windowChanged();
}

bool windowPlace::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Close)
        save();
    return QObject::eventFilter(watched, event);
}

QRect windowPlace::fitted(const QRect &wanted, const QRect &available)
{
    QRect out(wanted.topLeft(), wanted.size().boundedTo(available.size()));
    out.moveLeft(qBound(available.left(), out.left(), available.right() + 1 - out.width()));
    out.moveTop(qBound(available.top(), out.top(), available.bottom() + 1 - out.height()));
    return out;
}

void windowPlace::restore()
{
    const QSettings settings;
    const QRect saved = settings.value(kGeometryKey).toRect();
    QRect wanted = saved.isValid() ? saved : QRect(QPoint(), m_window->size());
    // At first, or when its screen is gone, the window manager places the window.
    bool placed = saved.isValid();
    if (realScreens()) {
        QScreen *screen = placed ? QGuiApplication::screenAt(saved.center()) : nullptr;
        if (!screen) {
            screen = m_window->screen();
            placed = false;
            wanted.moveTopLeft(screen->availableGeometry().topLeft());
        }
        wanted = fitted(wanted, screen->availableGeometry());
    }
    m_window->resize(wanted.size());
    if (placed)
        m_window->setPosition(wanted.topLeft());
    m_normal = wanted;
    if (settings.value(kMaximizedKey).toBool())
        m_window->setWindowStates(Qt::WindowMaximized);
    m_maximized = m_window->windowStates() & Qt::WindowMaximized;
}

void windowPlace::remember()
{
    const Qt::WindowStates states = m_window->windowStates();
    if (!(states & Qt::WindowMinimized))
        m_maximized = states & (Qt::WindowMaximized | Qt::WindowFullScreen);
    if (!(states & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
        m_normal = m_window->geometry();
}

void windowPlace::save()
{
    if (!m_window)
        return;
    // The platform may not have reported the last move or resize yet.
    remember();
    if (!m_normal.isValid())
        return;
    QSettings settings;
    settings.setValue(kGeometryKey, m_normal);
    settings.setValue(kMaximizedKey, m_maximized);
}
