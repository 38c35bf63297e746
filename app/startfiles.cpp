#include "startfiles.h"

#include "dimlist.h"
#include "songstate.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QUrl>
#include <QVariant>

#include <cstdio>

namespace
{
// The file service takes its format from the name, exactly like this.
bool hasShowSuffix(const QString &name)
{
    return name.endsWith(QLatin1String(".dmx")) || name.endsWith(QLatin1String(".c"));
}
} // namespace

QString startFiles::unreadable(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return tr("文件不存在");
    if (info.isDir())
        return tr("这是一个文件夹");
    if (!info.isReadable())
        return tr("没有读取权限");
    if (!hasShowSuffix(info.fileName()))
        return tr("不是 .dmx 或 .c 文件");
    return QString();
}

QString startFiles::openOne(QObject *panel, const QString &path)
{
    QString problem = unreadable(path);
    if (problem.isEmpty()) {
        const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
        QVariant opened;
        QMetaObject::invokeMethod(panel, "openFile", Q_RETURN_ARG(QVariant, opened),
                                  Q_ARG(QVariant, url));
        if (opened.toBool())
            return QString();
        if (auto *files = panel->property("dmxFileIO").value<QObject *>())
            QMetaObject::invokeMethod(files, "lastError", Q_RETURN_ARG(QString, problem));
    }
    return tr("无法打开 %1：%2").arg(path, problem);
}

QStringList startFiles::open(QObject *window, const QStringList &paths)
{
    QStringList problems;
    QObject *panel =
        window ? window->findChild<QObject *>(QStringLiteral("text_control")) : nullptr;
    if (!panel)
        return problems;
    for (const QString &path : paths) {
        const QString problem = openOne(panel, path);
        if (problem.isEmpty())
            continue;
        std::fprintf(stderr, "dmxplayer: %s\n", qPrintable(problem));
        problems << problem;
    }
    // The status bar shows the core's message; it cuts a long one and shows it on hover.
    if (!problems.isEmpty() && g_dimList)
        g_dimList->setStatusMessage(problems.join(QStringLiteral("; ")));
    return problems;
}

bool startFiles::attachSong(const QString &path)
{
    auto *song = g_dimList ? g_dimList->findChild<songState *>() : nullptr;
    return song && song->attach(path);
}
