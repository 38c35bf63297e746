#include "appwiring.h"

#include "dimlist.h"
#include "dmx.h"
#include "dmxfile.h"
#include "light_list.h"

#include <QMetaType>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQml>

void registerQmlTypes()
{
    qmlRegisterType<dmxFile>("ov.qt.dmx", 1, 0, "DmxFile");
}

void wireEngine(QQmlEngine *engine)
{
    if (!g_dimList)
        g_dimList = new dimList(nullptr);
    dmx *out = g_dimList->m_dmx;

    // QML must see these variants as arrays of objects.
    const int listType = qRegisterMetaType<QList<QObject *>>();
    const int iterableType = qMetaTypeId<QtMetaTypePrivate::QSequentialIterableImpl>();
    if (!QMetaType::hasRegisteredConverterFunction(listType, iterableType))
        QMetaType::registerConverter<QList<QObject *>, QtMetaTypePrivate::QSequentialIterableImpl>(
            QtMetaTypePrivate::QSequentialIterableConvertFunctor<QList<QObject *>>());

    QQmlContext *ctx = engine->rootContext();
    ctx->setContextProperty("fix_list", out->m_lightList);
    ctx->setContextProperty("dmx_fix", QVariant::fromValue(out->m_lightList->m_fixList));
    ctx->setContextProperty("dmx_data", QVariant::fromValue(out->m_dims));
    ctx->setContextProperty("dmx_list", g_dimList);
    ctx->setContextProperty("dmx", out);

    engine->addImportPath("qrc:/");
}
