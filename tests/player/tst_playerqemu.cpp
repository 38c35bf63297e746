#include "playershow.h"

#include <QTemporaryDir>
#include <QtTest>

class tst_playerqemu : public QObject
{
    Q_OBJECT
  private slots:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(tst_playerqemu)
#include "tst_playerqemu.moc"
