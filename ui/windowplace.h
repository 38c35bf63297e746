#ifndef WINDOWPLACE_H
#define WINDOWPLACE_H

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWindow>

// Where the window opens: where and as large as it was closed (kept in the user's settings),
// at first its own default size; always within the screen's available area, whatever the
// scale factor. A window on no real screen (the offscreen platform) keeps its size. Also the
// user's other choice of the window's looks: whether the song strip shows.
// GUI thread only.
class windowPlace : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QWindow *window READ window WRITE setWindow NOTIFY windowChanged)
    // The song strip shows while the show has a song, unless the user hid it.
    Q_PROPERTY(bool songStripShown READ songStripShown WRITE setSongStripShown NOTIFY
                   songStripShownChanged)

  public:
    explicit windowPlace(QObject *parent = nullptr);
    ~windowPlace() override;

    QWindow *window() const { return m_window; }
    void setWindow(QWindow *window);
    bool songStripShown() const { return m_songStripShown; }
    void setSongStripShown(bool shown);

    // The wanted geometry shrunk to the available area and moved inside it.
    static QRect fitted(const QRect &wanted, const QRect &available);

  signals:
    void windowChanged();
    void songStripShownChanged();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void restore();
    void remember();
    void save();

    QPointer<QWindow> m_window;
    // The last geometry the window had while neither maximised nor minimised.
    QRect m_normal;
    bool m_maximized = false;
    bool m_songStripShown = true;
};

#endif
