#include "appwiring.h"
#include "dimlist.h"
#include "dmxbox.h"
#include "headless.h"
#include "remotecontrol.h"
#include "startfiles.h"
#include "synccontrol.h"

#include <QApplication>
#include <QLocale>
#include <QQmlApplicationEngine>
#include <QUrl>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Conversions, help and version need no display, so they never create the window's
    // application object.
    if (headless::wanted(argc, argv))
        return headless::run(argc, argv);

    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QCoreApplication::setOrganizationName("Orvane");
    redrawAtOnce();
    QApplication app(argc, argv);
    QStringList arguments = app.arguments();
    remoteControl::options remote;
    QString problem;
    syncControl::options sync;
    if (!remoteControl::takeOptions(arguments, remote, problem) ||
        !syncControl::takeOptions(arguments, sync, problem)) {
        std::fprintf(stderr, "dmxplayer: %s\n", qPrintable(problem));
        return 2;
    }
    installTranslation(QLocale::system());
    chooseSceneGraphBackend();
    registerQmlTypes();
    QQmlApplicationEngine engine;
    wireEngine(&engine);
    engine.load(QUrl(QStringLiteral("qrc:/main.qml")));
    if (engine.rootObjects().isEmpty())
        return -1;
    if (auto *control = g_dimList->findChild<remoteControl *>())
        control->start(remote);
    startFiles::open(engine.rootObjects().first(), startFiles::fromArguments(arguments));
    if (auto *control = g_dimList->findChild<syncControl *>())
        control->start(sync);
    const int code = app.exec();
    // The output thread ended with aboutToQuit; the interface confirms its last frame before
    // the process goes.
    DMXCloseBox();
    return code;
}
