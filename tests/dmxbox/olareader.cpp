#include "olareader.h"

#include <ola/Callback.h>
#include <ola/Clock.h>
#include <ola/DmxBuffer.h>
#include <ola/io/SelectServer.h>

olaReader::olaReader() = default;
olaReader::~olaReader() = default;

bool olaReader::open(unsigned universe)
{
    m_universe = universe;
    m_wrapper = std::make_unique<ola::client::OlaClientWrapper>(false);
    if (!m_wrapper->Setup())
        return false;
    m_clock.start();
    ola::client::OlaClient *client = m_wrapper->GetClient();
    client->SetDMXCallback(ola::NewCallback(this, &olaReader::updated));
    client->RegisterUniverse(universe, ola::client::REGISTER,
                             ola::NewSingleCallback(this, &olaReader::answered));
    return waitForAnswer(2000) && m_ok;
}

QByteArray olaReader::fetch()
{
    m_fetched.clear();
    m_wrapper->GetClient()->FetchDMX(m_universe, ola::NewSingleCallback(this, &olaReader::fetched));
    if (!waitForAnswer(2000) || !m_ok)
        return QByteArray();
    return m_fetched;
}

void olaReader::pump(int ms)
{
    QElapsedTimer t;
    t.start();
    do
        m_wrapper->GetSelectServer()->RunOnce(ola::TimeInterval(0, ms > 0 ? 2000 : 0));
    while (t.elapsed() < ms);
}

bool olaReader::waitForUpdate(const QByteArray &frame, int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (!m_updates.isEmpty() && m_updates.last() == frame)
            return true;
        m_wrapper->GetSelectServer()->RunOnce(ola::TimeInterval(0, 2000));
    }
    return !m_updates.isEmpty() && m_updates.last() == frame;
}

bool olaReader::waitForAnswer(int ms)
{
    m_answered = false;
    m_ok = false;
    QElapsedTimer t;
    t.start();
    while (!m_answered && t.elapsed() < ms)
        m_wrapper->GetSelectServer()->RunOnce(ola::TimeInterval(0, 2000));
    return m_answered;
}

void olaReader::updated(const ola::client::DMXMetadata &meta, const ola::DmxBuffer &data)
{
    if (meta.universe != m_universe)
        return;
    const std::string bytes = data.Get();
    m_updates.append(QByteArray(bytes.data(), int(bytes.size())));
    m_arrivalMs.append(m_clock.elapsed());
}

void olaReader::answered(const ola::client::Result &result)
{
    m_answered = true;
    m_ok = result.Success();
}

void olaReader::fetched(const ola::client::Result &result, const ola::client::DMXMetadata &,
                        const ola::DmxBuffer &data)
{
    const std::string bytes = data.Get();
    m_fetched = QByteArray(bytes.data(), int(bytes.size()));
    answered(result);
}
