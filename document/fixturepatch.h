#ifndef FIXTUREPATCH_H
#define FIXTUREPATCH_H

#include <QString>
#include <QVector>

#include <functional>

// What the fixture list needs of the window's patch and of playback: one entry per fixture,
// added and dropped only at the end, whether the patch sends it, and the blackout's off
// values. Implemented on the GUI thread, and called only there.
class fixturePatch
{
  public:
    // `enabledChanged` runs whenever the entry's send switch is turned, for as long as the
    // entry lives.
    virtual void addFixture(int channels, const QString &name,
                            std::function<void()> enabledChanged) = 0;
    virtual void removeLastFixture() = 0;
    virtual bool fixtureEnabled(int fixture) const = 0;
    // Every frame carries these levels where they are not -1; empty: none.
    virtual void setBlackout(const QVector<int> &levels) = 0;

  protected:
    ~fixturePatch() = default;
};

#endif
