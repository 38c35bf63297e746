#include "appwiring.h"
#include "dmxbox.h"

#include <QApplication>
#include <QQmlApplicationEngine>
#include <QUrl>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QCoreApplication::setOrganizationName("Orvane");
    QApplication app(argc, argv);
    chooseSceneGraphBackend();
    registerQmlTypes();
    QQmlApplicationEngine engine;
    wireEngine(&engine);
    engine.load(QUrl(QStringLiteral("qrc:/main.qml")));
    if (engine.rootObjects().isEmpty())
        return -1;
    const int code = app.exec();
    // The interface confirms the last frame before the process goes.
    DMXCloseBox();
    return code;
}
