#include "columnwidths.h"

#include "fixturedef.h"

#include <QUrl>

namespace
{
QString entry(const QString &key, int channel)
{
    return QStringLiteral("columns/%1/%2").arg(key).arg(channel);
}

// Makers and models may hold the settings' group separator.
QString part(const QString &name)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(name, " ()+-_.,"));
}
} // namespace

QString columnWidths::keyOf(const QVariant &kind)
{
    if (kind.userType() == qMetaTypeId<fixtureDef::definition>()) {
        const auto placed = kind.value<fixtureDef::definition>();
        const QString mode = placed.modes.isEmpty() ? QString() : placed.modes.first().name;
        return part(placed.manufacturer) + QLatin1Char('|') + part(placed.model) +
               QLatin1Char('|') + part(mode);
    }
    return QStringLiteral("type%1").arg(kind.toInt());
}

QVariantList columnWidths::widths(const QVariantList &kinds,
                                  const QVariantList &channelCounts) const
{
    const QSettings settings;
    QVariantList out;
    for (int row = 0; row < kinds.size(); ++row) {
        const QString key = keyOf(kinds.at(row));
        const int channels = channelCounts.value(row).toInt();
        for (int channel = 0; channel < channels; ++channel)
            out << settings.value(entry(key, channel), 0.0).toReal();
    }
    return out;
}

void columnWidths::keep(QSettings &settings, const QString &key, int channel, qreal width)
{
    if (width > 0)
        settings.setValue(entry(key, channel), width);
    else
        settings.remove(entry(key, channel));
}

void columnWidths::announce()
{
    ++m_revision;
    emit changed();
}

void columnWidths::setWidth(const QVariant &kind, int channel, qreal width)
{
    QSettings settings;
    keep(settings, keyOf(kind), channel, width);
    announce();
}

void columnWidths::setWidths(const QVariant &kind, const QVariantList &widths)
{
    QSettings settings;
    const QString key = keyOf(kind);
    for (int channel = 0; channel < widths.size(); ++channel)
        keep(settings, key, channel, widths.at(channel).toReal());
    announce();
}
