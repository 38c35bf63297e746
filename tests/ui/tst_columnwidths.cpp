#include "columnwidths.h"
#include "fixturedef.h"

#include <QTemporaryDir>
#include <QtTest>

// The widths are kept per fixture kind: a type, or a definition's maker, model and mode.
class tst_columnWidths : public QObject
{
    Q_OBJECT

  private slots:
    void keptPerKind()
    {
        const QTemporaryDir settings;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
        fixtureDef::definition placed{QStringLiteral("Testwerk/Lab"),
                                      QStringLiteral("Show/Laser"),
                                      {},
                                      {},
                                      {{QStringLiteral("2 channel"), {0, 1}}}};
        const QVariant laser = QVariant::fromValue(placed);
        placed.modes.first().name = QStringLiteral("other");
        columnWidths store;
        store.setWidth(3, 1, 40);
        store.setWidths(laser, {55, 0});
        QCOMPARE(store.revision(), 2);
        QCOMPARE(columnWidths().widths({3, laser, QVariant::fromValue(placed), 3}, {2, 2, 2, 2}),
                 QVariantList({0.0, 40.0, 55.0, 0.0, 0.0, 0.0, 0.0, 40.0}));
    }
};

QTEST_GUILESS_MAIN(tst_columnWidths)
#include "tst_columnwidths.moc"
