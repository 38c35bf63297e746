#include "appwiring.h"
#include "coretestsupport.h"
#include "fixturecatalogue.h"

#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QTranslator>
#include <QtTest>

#include <algorithm>

namespace
{
// Every text the user can see: the title and the texts of all visible items.
void collectTexts(QQuickItem *item, QStringList &out)
{
    if (!item->isVisible())
        return;
    for (const char *name : {"text", "title"}) {
        const QVariant value = item->property(name);
        if (value.canConvert<QString>() && !value.toString().isEmpty())
            out << value.toString();
    }
    for (QQuickItem *child : item->childItems())
        collectTexts(child, out);
}

void removeTranslations()
{
    for (QTranslator *translator : qApp->findChildren<QTranslator *>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}
} // namespace

class tst_language : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase() { registerQmlTypes(); }
    void init() { freshCore(); }
    void cleanup()
    {
        removeTranslations();
        dropCore();
    }
    void localeChoosesTheTexts_data();
    void localeChoosesTheTexts();
    void everyChannelTitleIsTranslated_data();
    void everyChannelTitleIsTranslated();
};

void tst_language::localeChoosesTheTexts_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("english");
    QTest::addColumn<QStringList>("expected");

    const QStringList english{"Divezuveror DMX512 (test)",
                              "Save",
                              "Open",
                              "Play",
                              "DMX off",
                              "Repeats",
                              "Set all",
                              "Add fixture",
                              "Del fixture",
                              "Mod\n1"};
    const QStringList chinese{"Divezuveror DMX512 测试用",
                              "保存",
                              "打开",
                              "播放",
                              "DMX关闭",
                              "循环次数",
                              "设置全部",
                              "添加灯具",
                              "删除灯具",
                              "模\n式\n1"};
    QTest::newRow("en_US") << "en_US" << true << english;
    QTest::newRow("en_GB, by its language") << "en_GB" << true << english;
    QTest::newRow("zh_CN") << "zh_CN" << false << chinese;
    QTest::newRow("zh_TW") << "zh_TW" << false << chinese;
    QTest::newRow("fr_FR, no translation") << "fr_FR" << false << chinese;
    QTest::newRow("C") << "C" << false << chinese;
}

// The whole window with a fixture added, so that the table's channel titles show too.
void tst_language::localeChoosesTheTexts()
{
    QFETCH(QString, locale);
    QFETCH(bool, english);
    QFETCH(QStringList, expected);
    QCOMPARE(installTranslation(QLocale(locale)), english);
    // Qt's own file dialog in the same language.
    QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:") == QLatin1String("Look in:"),
             english);

    QQmlApplicationEngine engine;
    wireEngine(&engine);
    engine.load(QUrl(QStringLiteral("qrc:/main.qml")));
    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().value(0));
    QVERIFY(window);
    QObject *table = window->findChild<QObject *>("dmxList");
    QVariant added;
    QMetaObject::invokeMethod(table, "addDevice", Q_RETURN_ARG(QVariant, added),
                              Q_ARG(QVariant, 0));
    QVERIFY(added.toBool());
    QVERIFY(QTest::qWaitForWindowExposed(window));

    // The fixture's titles appear once the view has laid out its new columns. The added
    // fixture is an unsaved change: the title starts with "*".
    QVERIFY(window->title().startsWith(QLatin1Char('*')));
    QStringList texts;
    const auto allShown = [&] {
        texts = QStringList{window->title().mid(1)};
        collectTexts(window->contentItem(), texts);
        return std::all_of(expected.cbegin(), expected.cend(),
                           [&](const QString &text) { return texts.contains(text); });
    };
    QTRY_VERIFY(allShown());
    for (const QString &text : expected)
        QVERIFY2(texts.contains(text), qPrintable(text));
    static const QRegularExpression chineseText(
        QStringLiteral("[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    if (english)
        QCOMPARE(texts.filter(chineseText), QStringList());
    QMetaObject::invokeMethod(table, "deleteDevice");
}

void tst_language::everyChannelTitleIsTranslated_data()
{
    QTest::addColumn<int>("type");
    const fixtureCatalogue catalogue;
    for (int type = 0; type < catalogue.count(); ++type)
        QTest::newRow(qPrintable(catalogue.name(type))) << type;
}

// The table translates a type's titles in its own context when it adds the columns.
void tst_language::everyChannelTitleIsTranslated()
{
    QFETCH(int, type);
    QVERIFY(installTranslation(QLocale(QStringLiteral("en_US"))));
    static const QRegularExpression chineseText(
        QStringLiteral("[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    for (const QString &title : fixtureCatalogue().labels(type)) {
        const QString english = QCoreApplication::translate("DmxTable", title.toUtf8().constData());
        QVERIFY2(!english.contains(chineseText), qPrintable(title));
    }
}

QTEST_MAIN(tst_language)
#include "tst_language.moc"
