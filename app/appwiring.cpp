#include "appwiring.h"

#include "showrecovery.h"
#include "showroot.h"

#include "cellface.h"
#include "columnwidths.h"
#include "dimlist.h"
#include "dmx.h"
#include "dmxfile.h"
#include "fileworkflow.h"
#include "fixturecatalogue.h"
#include "fixturepicker.h"
#include "light_list.h"
#include "playengine.h"
#include "remotecontrol.h"
#include "songstate.h"
#include "songtimeline.h"
#include "songtransport.h"
#include "stepview.h"
#include "synccontrol.h"
#include "textface.h"
#include "valueentry.h"
#include "windowplace.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMetaType>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QTimer>
#include <QTranslator>
#include <QtQml>

namespace
{
bool openGlIsSoftware()
{
    QOpenGLContext context;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!context.create() || !surface.isValid() || !context.makeCurrent(&surface))
        return false;
    const QByteArray renderer =
        reinterpret_cast<const char *>(context.functions()->glGetString(GL_RENDERER));
    context.doneCurrent();
    return renderer.contains("llvmpipe") || renderer.contains("softpipe") ||
           renderer.contains("Software Rasterizer");
}
} // namespace

void chooseSceneGraphBackend()
{
    // A backend named in QT_QUICK_BACKEND ("opengl" for Mesa's llvmpipe too) is Qt's to load.
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
        return;
    if (QQuickWindow::sceneGraphBackend().isEmpty() && openGlIsSoftware())
        QQuickWindow::setSceneGraphBackend(QSGRendererInterface::Software);
}

void redrawAtOnce()
{
    if (!qEnvironmentVariableIsSet("QT_QPA_UPDATE_IDLE_TIME"))
        qputenv("QT_QPA_UPDATE_IDLE_TIME", "0");
}

namespace
{
// Qt's own dialogs (files, messages) speak the window's language: English where the window
// is translated, otherwise the Chinese of its own texts, whatever the system's locale.
void installQtTranslation(bool english)
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    const QString name = english ? QStringLiteral("qt_en") : QStringLiteral("qt_zh_CN");
    if (translator->load(name, QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}
} // namespace

bool installTranslation(const QLocale &locale)
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    const bool english = translator->load(locale, QStringLiteral("dmxplayer"), QStringLiteral("_"),
                                          QStringLiteral(":/i18n"));
    installQtTranslation(english);
    if (!english) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void registerQmlTypes()
{
    // The typed properties of "app".
    qRegisterMetaType<dimList *>();
    qRegisterMetaType<dmx *>();
    qRegisterMetaType<fileWorkflow *>();
    qRegisterMetaType<showRecovery *>();
    qRegisterMetaType<valueEntry *>();
    qRegisterMetaType<remoteControl *>();
    qRegisterMetaType<syncControl *>();
    qRegisterMetaType<songState *>();
    qRegisterMetaType<songTransport *>();
    qmlRegisterType<dmxFile>("ov.qt.dmx", 1, 0, "DmxFile");
    qmlRegisterType<stepView>("ov.qt.dmx", 1, 0, "StepView");
    qmlRegisterType<cellFace>("ov.qt.dmx", 1, 0, "CellFace");
    qmlRegisterType<textFace>("ov.qt.dmx", 1, 0, "TextFace");
    qmlRegisterType<windowPlace>("ov.qt.dmx", 1, 0, "WindowPlace");
    qmlRegisterType<songTimeline>("ov.qt.dmx", 1, 0, "SongTimeline");
}

void wireEngine(QQmlEngine *engine)
{
    if (!g_dimList)
        g_dimList = new dimList(nullptr);
    // The window plays and sends frames; the thread that does it starts here, not with the
    // model, so that conversions without a window never start it.
    g_dimList->engine()->start();
    // Every third tick: a level held longer than 100 ms is still always shown, and a show
    // that changes its row at every tick is drawn a third as often as it is sent.
    g_dimList->engine()->setWindowGap(std::chrono::milliseconds(90));

    // QML must see these variants as arrays of objects.
    const int listType = qRegisterMetaType<QList<QObject *>>();
    const int iterableType = qMetaTypeId<QtMetaTypePrivate::QSequentialIterableImpl>();
    if (!QMetaType::hasRegisteredConverterFunction(listType, iterableType))
        QMetaType::registerConverter<QList<QObject *>, QtMetaTypePrivate::QSequentialIterableImpl>(
            QtMetaTypePrivate::QSequentialIterableConvertFunctor<QList<QObject *>>());

    publishCore(engine);
    engine->rootContext()->setContextProperty("fixture_catalogue", new fixtureCatalogue(engine));
    // The user's column widths outlive the shows and cores: they belong to the fixtures.
    engine->rootContext()->setContextProperty("column_widths", new columnWidths(engine));
    // The window starts the index once it has drawn its first frame: a worker thread beside
    // the start-up would take a core from it.
    auto *picker = new fixturePicker(engine);
    engine->rootContext()->setContextProperty("fixture_picker", picker);
    // A reload of the library is a risk to the show: its recovery copy is brought up to date.
    QObject::connect(picker, &fixturePicker::indexing, engine, [engine] {
        const QVariant recovery = engine->rootContext()->contextProperty("recovery");
        if (auto *keeper = qobject_cast<showRecovery *>(recovery.value<QObject *>()))
            keeper->keepNow();
    });

    engine->addImportPath("qrc:/");
}

void publishCore(QQmlEngine *engine)
{
    dmx *out = g_dimList->output();
    QQmlContext *ctx = engine->rootContext();
    ctx->setContextProperty("fix_list", out->patch());
    ctx->setContextProperty("dmx_fix", QVariant::fromValue(out->patch()->entries()));
    // Publishing the list again re-evaluates every binding on it, so the fixture strip
    // follows the patch. Once per pass of the event loop: adding a show's fixtures one by
    // one would otherwise rebuild the strip for each of them.
    light_list *patch = out->patch();
    // Owned by the patch: a test's fresh core takes its timer with it.
    auto *republish = new QTimer(patch);
    republish->setSingleShot(true);
    republish->setInterval(0);
    QObject::connect(republish, &QTimer::timeout, ctx, [ctx, patch] {
        ctx->setContextProperty("dmx_fix", QVariant::fromValue(patch->entries()));
    });
    QObject::connect(patch, &light_list::fixturesChanged, republish, qOverload<>(&QTimer::start));
    ctx->setContextProperty("dmx_data", QVariant::fromValue(out->channels()));
    ctx->setContextProperty("dmx_list", g_dimList);
    ctx->setContextProperty("dmx", out);
    // The objects around the core go with it (a test's fresh core brings its own).
    auto *root = new showRoot(g_dimList);
    ctx->setContextProperty("app", root);
    ctx->setContextProperty("remote", root->remote());
    ctx->setContextProperty("sync", root->sync());
    ctx->setContextProperty("file_flow", root->files());
    ctx->setContextProperty("recovery", root->recovery());
    ctx->setContextProperty("value_entry", root->values());
    ctx->setContextProperty("song", root->song());
    ctx->setContextProperty("song_player", root->songPlayer());
}
