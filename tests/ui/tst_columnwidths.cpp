#include "columnwidths.h"
#include "fixturedef.h"

#include <QTemporaryDir>
#include <QtTest>

// The widths are kept per fixture kind: a type, or a definition's maker, model and mode.
class tst_columnWidths : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    }
    void keptPerKind();

  private:
    QTemporaryDir m_settings;
};

namespace
{
QVariant laser(const QString &model, const QString &mode)
{
    fixtureDef::definition placed;
    placed.manufacturer = QStringLiteral("Testwerk/Lab");
    placed.model = model;
    placed.modes.append({mode, {0, 1}});
    return QVariant::fromValue(placed);
}
} // namespace

void tst_columnWidths::keptPerKind()
{
    columnWidths store;
    QSignalSpy changed(&store, &columnWidths::changed);
    store.setWidth(3, 1, 40);
    store.setWidths(laser("Show/Laser", "2 channel"), {55, 0});
    QCOMPARE(changed.count(), 2);
    const QVariantList kinds{3, laser("Show/Laser", "2 channel"), laser("Show/Laser", "other"), 3};
    const QVariantList counts{2, 2, 2, 2};
    const QVariantList widths{0.0, 40.0, 55.0, 0.0, 0.0, 0.0, 0.0, 40.0};
    QCOMPARE(columnWidths().widths(kinds, counts), widths);
}

QTEST_GUILESS_MAIN(tst_columnWidths)
#include "tst_columnwidths.moc"
