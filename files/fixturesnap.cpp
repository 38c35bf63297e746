#include "fixturesnap.h"

bool fixtureSnap::snaps(const fixtureDef::channel &channel)
{
    if (channel.fine)
        return false;
    int steps = 0;
    for (const fixtureDef::capability &capability : channel.capabilities)
        steps += capability.stepped ? 1 : 0;
    const int continuous = channel.capabilities.size() - steps;
    return steps >= 2 && steps > continuous;
}
