#include "fixturesnap.h"

#include <QStringList>

namespace
{
// Channels whose every value picks one look of many (QLC+ groups, OFL capability types):
// a value in between is another look, even where the definition names only one range.
bool picksLooks(const QString &kind)
{
    static const QStringList kinds{QStringLiteral("Effect"), QStringLiteral("Gobo"),
                                   QStringLiteral("Prism"), QStringLiteral("WheelSlot"),
                                   QStringLiteral("ColorPreset")};
    return kinds.contains(kind, Qt::CaseInsensitive);
}
} // namespace

bool fixtureSnap::snaps(const fixtureDef::channel &channel)
{
    if (channel.fine)
        return false;
    int steps = 0;
    for (const fixtureDef::capability &capability : channel.capabilities)
        steps += capability.stepped ? 1 : 0;
    const int continuous = channel.capabilities.size() - steps;
    if (picksLooks(channel.kind) && steps >= 1 && continuous == 0)
        return true;
    return steps >= 2 && steps > continuous;
}
