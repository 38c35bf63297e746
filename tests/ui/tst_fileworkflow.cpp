#include "coretestsupport.h"
#include "dmxfile.h"
#include "fileworkflow.h"
#include "showrecovery.h"
#include "undohistory.h"
#include "valueentry.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// The window's file workflow and the number fields' key rule, without a window: what the
// dialogs would be asked and what their answers do to the files and the window.
class tst_fileworkflow : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup() { dropCore(); }
    void replaceAskedOnlyForAnUnaskedFile_data();
    void replaceAskedOnlyForAnUnaskedFile();
    void closeQuestion_data();
    void closeQuestion();
    void keyRule_data();
    void keyRule();
    void recoveredShowOpensUnsavedUnderItsName();
    void damagedCopyIsSetAside();

  private:
    QString urlOf(const QString &name) const
    {
        return QUrl::fromLocalFile(m_dir->filePath(name)).toString();
    }
    QByteArray bytesOf(const QString &name) const;

    QScopedPointer<QTemporaryDir> m_dir;
    QScopedPointer<fileWorkflow> m_flow;
};

void tst_fileworkflow::init()
{
    freshCore();
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    m_flow.reset(new fileWorkflow(coreModel()));
    appendRow(1, 2, 3);
}

QByteArray tst_fileworkflow::bytesOf(const QString &name) const
{
    QFile file(m_dir->filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void tst_fileworkflow::replaceAskedOnlyForAnUnaskedFile_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("asked");

    QTest::newRow("new file") << false << "show1" << false;
    QTest::newRow("existing, name typed: the dialog asked") << true << "show1.dmx" << false;
    QTest::newRow("existing, extension from the filter") << true << "show1" << true;
}

void tst_fileworkflow::replaceAskedOnlyForAnUnaskedFile()
{
    QFETCH(bool, exists);
    QFETCH(QString, chosen);
    QFETCH(bool, asked);
    if (exists) {
        QFile old(m_dir->filePath("show1.dmx"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    }
    QSignalSpy question(m_flow.data(), &fileWorkflow::replaceAsked);
    QCOMPARE(m_flow->saveAccepted(urlOf(chosen), fileWorkflow::showFilter()), !asked);
    QCOMPARE(question.count(), asked ? 1 : 0);
    QCOMPARE(bytesOf("show1.dmx") == "old", asked);
    if (!asked)
        return;
    QCOMPARE(m_flow->replaceQuestion(), "“show1.dmx” 已存在。要替换它吗？");
    QVERIFY(m_flow->answerReplace(true));
    QVERIFY(bytesOf("show1.dmx") != "old");
    QCOMPARE(m_flow->currentFile(), urlOf("show1.dmx"));
}

void tst_fileworkflow::closeQuestion_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("saves");

    QTest::newRow("save, then close") << "save" << true << true;
    QTest::newRow("discard") << "discard" << true << false;
    QTest::newRow("cancel") << "cancel" << false << false;
}

void tst_fileworkflow::closeQuestion()
{
    QFETCH(QString, answer);
    QFETCH(bool, closes);
    QFETCH(bool, saves);
    QVERIFY(m_flow->saveAccepted(urlOf("show1.dmx"), fileWorkflow::showFilter()));
    const QByteArray saved = bytesOf("show1.dmx");
    QVERIFY(m_flow->mayClose());
    coreModel()->setDmxData(200, 1, 0);

    QSignalSpy question(m_flow.data(), &fileWorkflow::closeAsked);
    QSignalSpy closing(m_flow.data(), &fileWorkflow::closeWindow);
    QVERIFY(!m_flow->mayClose());
    QCOMPARE(question.count(), 1);
    m_flow->answerClose(answer);
    QCOMPARE(closing.count(), closes ? 1 : 0);
    QCOMPARE(bytesOf("show1.dmx") != saved, saves);
    // A window that may close now closes without asking again.
    QCOMPARE(m_flow->mayClose(), closes);
}

void tst_fileworkflow::keyRule_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("returnCommits");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("commit");

    QTest::newRow("Delete clears") << int(Qt::Key_Delete) << "45" << true << "" << false;
    QTest::newRow("keypad Enter clamps") << int(Qt::Key_Enter) << "300" << false << "255" << true;
    QTest::newRow("keypad Enter in range") << int(Qt::Key_Enter) << "40" << false << "40" << true;
    QTest::newRow("Return, keypad only") << int(Qt::Key_Return) << "300" << false << "300" << false;
    QTest::newRow("Return commits too") << int(Qt::Key_Return) << "300" << true << "255" << true;
    QTest::newRow("empty field") << int(Qt::Key_Enter) << "" << true << "" << true;
    QTest::newRow("a digit") << int(Qt::Key_5) << "300" << true << "300" << false;
}

void tst_fileworkflow::keyRule()
{
    QFETCH(int, key);
    QFETCH(QString, typed);
    QFETCH(bool, returnCommits);
    QFETCH(QString, text);
    QFETCH(bool, commit);
    const valueEntry::entry after = valueEntry::afterKey(key, typed, 255, returnCommits);
    QCOMPARE(after.text, text);
    QCOMPARE(after.commit, commit);
}

// A copy a killed program left: offered, opened as the unsaved show under its own name, and
// replaced by this program's copy before it goes.
void tst_fileworkflow::recoveredShowOpensUnsavedUnderItsName()
{
    const QString folder = m_dir->filePath("recovery");
    QVERIFY(QDir().mkpath(folder));
    const QByteArray show = m_flow->files()->showBytes();
    QFile copy(folder + "/1-2.dmx");
    QVERIFY(copy.open(QIODevice::WriteOnly));
    copy.write(show);
    copy.close();
    QFile notes(folder + "/1-2.json");
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.write("{\"show\": \"" + urlOf("show.dmx").toUtf8() + "\"}");
    notes.close();
    coreModel()->removeAll();
    coreModel()->changeHistory()->clear();

    showRecovery recovery(coreModel(), m_flow.data(), folder);
    recovery.lookForCopies();
    QCOMPARE(recovery.offered().size(), 1);
    QCOMPARE(recovery.offered().first().toMap().value("show").toString(), "show.dmx");
    QVERIFY(recovery.openOffered(0));
    QCOMPARE(m_flow->files()->showBytes(), show);
    QVERIFY(!coreModel()->changeHistory()->isClean());
    QCOMPARE(m_flow->currentFile(), urlOf("show.dmx"));
    QVERIFY(!copy.exists());
    QVERIFY(QFile::exists(recovery.copy()->path()));
}

void tst_fileworkflow::damagedCopyIsSetAside()
{
    QFile copy(m_dir->filePath("1-2.dmx"));
    QVERIFY(copy.open(QIODevice::WriteOnly));
    copy.write(m_flow->files()->showBytes().left(20));
    copy.close();
    showRecovery recovery(coreModel(), m_flow.data(), m_dir->path());
    recovery.lookForCopies();
    QVERIFY(recovery.offered().isEmpty());
    QVERIFY(QFile::exists(copy.fileName() + ".damaged"));
    QVERIFY(coreModel()->statusMessage().contains("damaged"));
}

QTEST_GUILESS_MAIN(tst_fileworkflow)
#include "tst_fileworkflow.moc"
