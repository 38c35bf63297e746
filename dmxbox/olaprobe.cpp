#include "olaprobe.h"

#include <ola/Callback.h>
#include <ola/client/ClientWrapper.h>
#include <ola/io/SelectServer.h>

olaProbe::olaProbe() = default;

olaProbe::~olaProbe()
{
    // Answers that the wrapper still delivers while it goes find this object whole.
    m_wrapper.reset();
}

ola::io::SelectServer *olaProbe::server() const
{
    return m_wrapper ? m_wrapper->GetSelectServer() : nullptr;
}

bool olaProbe::open()
{
    // A broken connection goes only now, so a caller that keeps server() for the length
    // of an ask() never holds a pointer into a deleted wrapper.
    if (m_broken)
        close();
    if (m_wrapper)
        return true;
    auto wrapper = std::make_unique<ola::client::OlaClientWrapper>(false);
    if (!wrapper->Setup())
        return false;
    wrapper->SetCloseCallback(ola::NewCallback(this, &olaProbe::closed));
    m_closed = false;
    m_wrapper = std::move(wrapper);
    return true;
}

void olaProbe::close()
{
    m_wrapper.reset();
    m_broken = false;
}

olaProbe::Answer olaProbe::ask(unsigned universe, unsigned timeoutMs)
{
    if (!open())
        return Answer::NoDaemon;
    ola::io::SelectServer *loop = m_wrapper->GetSelectServer();
    // Each question has its own number; late answers to one given up on are ignored.
    const unsigned question = ++m_question;
    m_universe = universe;
    m_answered = false;
    m_wrapper->GetClient()->FetchUniverseList(
        ola::NewSingleCallback(this, &olaProbe::universes, question));
    const ola::thread::timeout_id timeout = loop->RegisterSingleTimeout(
        timeoutMs, ola::NewSingleCallback(loop, &ola::io::SelectServer::Terminate));
    if (!m_answered && !m_closed)
        loop->Run();
    loop->RemoveTimeout(timeout);
    if (m_closed) {
        // olad went away or was restarted; the next question opens a new connection.
        m_broken = true;
        return Answer::NoDaemon;
    }
    if (!m_answered)
        return Answer::NoAnswer;
    if (!m_ok) {
        m_broken = true;
        return Answer::Failed;
    }
    return m_patched ? Answer::Patched : Answer::NoPort;
}

void olaProbe::closed()
{
    m_closed = true;
    if (m_wrapper)
        m_wrapper->GetSelectServer()->Terminate();
}

void olaProbe::universes(unsigned question, const ola::client::Result &result,
                         const std::vector<ola::client::OlaUniverse> &list)
{
    if (question != m_question)
        return;
    m_answered = true;
    m_ok = result.Success();
    m_patched = false;
    for (const ola::client::OlaUniverse &u : list) {
        if (u.Id() == m_universe && u.OutputPortCount() > 0)
            m_patched = true;
    }
    if (m_wrapper)
        m_wrapper->GetSelectServer()->Terminate();
}
