#include "appwiring.h"
#include "commandline.h"
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
    if (commandLine::wantsNoDisplay(argc, argv))
        return headless::run(argc, argv);

    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QCoreApplication::setOrganizationName("Orvane");
    redrawAtOnce();
    QApplication app(argc, argv);
    // Unknown options are not fatal here: they are named on stderr once the window is up.
    commandLine line;
    line.parse(app.arguments());
    remoteOptions remote;
    syncOptions sync;
    QString problem;
    if (!line.remote(remote, problem) || !line.sync(sync, problem)) {
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
    for (const QString &option : line.ignored())
        std::fprintf(stderr, "dmxplayer: unknown option %s ignored (see --help)\n",
                     qPrintable(option));
    startFiles::open(engine.rootObjects().first(), line.files());
    // After the shows: a song in their folder is then named relative to it.
    if (!line.audio().isEmpty())
        startFiles::attachSong(line.audio());
    if (auto *control = g_dimList->findChild<syncControl *>())
        control->start(sync);
    const int code = app.exec();
    // The output thread ended with aboutToQuit; the interface confirms its last frame before
    // the process goes.
    DMXCloseBox();
    return code;
}
