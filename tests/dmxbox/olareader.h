#ifndef OLAREADER_H
#define OLAREADER_H

#include <QByteArray>
#include <QElapsedTimer>
#include <QVector>

#include <ola/client/ClientWrapper.h>

#include <memory>

// A second client of olad that reads back what the interface library put on a universe:
// every update in arrival order, or the universe's current content.
class olaReader
{
  public:
    olaReader();
    ~olaReader();

    // Connects and registers for updates of the universe.
    bool open(unsigned universe);
    // The universe's current content, empty when olad does not answer.
    QByteArray fetch();
    // Runs the client's event loop at least once and for about ms milliseconds.
    void pump(int ms);
    // Pumps until the latest update equals frame or ms have passed.
    bool waitForUpdate(const QByteArray &frame, int ms);

    // Every update of the universe so far, in arrival order.
    const QVector<QByteArray> &updates() const { return m_updates; }

  private:
    void updated(const ola::client::DMXMetadata &meta, const ola::DmxBuffer &data);
    void answered(const ola::client::Result &result);
    void fetched(const ola::client::Result &result, const ola::client::DMXMetadata &meta,
                 const ola::DmxBuffer &data);
    bool waitForAnswer(int ms);

    std::unique_ptr<ola::client::OlaClientWrapper> m_wrapper;
    unsigned m_universe = 1;
    bool m_answered = false;
    bool m_ok = false;
    QByteArray m_fetched;
    QElapsedTimer m_clock;
    QVector<QByteArray> m_updates;
    QVector<qint64> m_arrivalMs;
};

#endif
