#include "changeset.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace
{
thread_local int t_depth = 0;
thread_local std::vector<std::function<void()>> t_afterwards;
thread_local std::vector<std::pair<const void *, std::function<void()>>> t_publishers;

void publishAll()
{
    for (const auto &publisher : t_publishers)
        publisher.second();
}
} // namespace

changeSet::changeSet()
{
    if (++t_depth == 1)
        publishAll();
}

changeSet::~changeSet()
{
    close();
}

void changeSet::close()
{
    if (!m_open)
        return;
    m_open = false;
    if (t_depth == 1)
        publishAll();
    --t_depth;
    // A job may open an operation of its own and queue more; each round runs what is there.
    while (t_depth == 0 && !t_afterwards.empty()) {
        std::vector<std::function<void()>> jobs;
        jobs.swap(t_afterwards);
        for (const auto &job : jobs)
            job();
    }
}

bool changeSet::isOpen()
{
    return t_depth > 0;
}

void changeSet::afterwards(std::function<void()> job)
{
    if (t_depth > 0)
        t_afterwards.push_back(std::move(job));
    else
        job();
}

void changeSet::publishWith(const void *owner, std::function<void()> publish)
{
    t_publishers.emplace_back(owner, std::move(publish));
}

void changeSet::stopPublishing(const void *owner)
{
    t_publishers.erase(std::remove_if(t_publishers.begin(), t_publishers.end(),
                                      [owner](const auto &p) { return p.first == owner; }),
                       t_publishers.end());
}
