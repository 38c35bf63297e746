#include "fileworkflow.h"

#include "dimlist.h"
#include "dmxfile.h"
#include "fixturelist.h"
#include "historystep.h"
#include "undohistory.h"

#include <QDebug>
#include <QUrl>

namespace
{
const QLatin1String kShowExtension(".dmx");
const QLatin1String kCExtension(".c");

QString folderOf(const QString &url)
{
    const int slash = url.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : url.left(slash);
}
} // namespace

fileWorkflow::fileWorkflow(dimList *model, QObject *parent)
    : QObject(parent), m_model(model), m_history(qobject_cast<undoHistory *>(model->history())),
      m_fixtures(model->fixtures()), m_files(new dmxFile(model, this))
{
}

QString fileWorkflow::showFilter()
{
    return QStringLiteral("Dmx files (*.dmx )");
}

QString fileWorkflow::cFilter()
{
    return QStringLiteral("Dmx-c files (*.c )");
}

QObject *fileWorkflow::filesObject() const
{
    return m_files;
}

void fileWorkflow::setCurrentFile(const QString &url)
{
    if (url == m_currentFile)
        return;
    m_currentFile = url;
    emit currentFileChanged();
}

void fileWorkflow::setChannelsInFile(int channels)
{
    if (channels == m_channelsInFile)
        return;
    m_channelsInFile = channels;
    emit channelsInFileChanged();
}

void fileWorkflow::setLastFolder(const QString &url)
{
    const QString folder = folderOf(url);
    if (folder == m_lastFolder)
        return;
    m_lastFolder = folder;
    emit lastFolderChanged();
}

void fileWorkflow::say(const QString &text)
{
    m_model->setStatusMessage(text);
}

QString fileWorkflow::fileNameOf(const QString &url) const
{
    const QString text = QUrl::fromPercentEncoding(url.toUtf8());
    return text.mid(text.lastIndexOf(QLatin1Char('/')) + 1);
}

int fileWorkflow::channelsToSave() const
{
    return qMin(fixtureList::kChannels, qMax(m_fixtures->columnEnd() - fixtureList::kFixedColumns,
                                             m_history->fileChannels()));
}

bool fileWorkflow::saveAccepted(const QString &url, const QString &filter)
{
    qDebug().noquote() << QStringLiteral("You chose save: %1 %2").arg(url, filter);
    setLastFolder(url);
    const QString target = m_files->saveTarget(QUrl(url), filter);
    const bool typedExactName = m_files->saveTarget(QUrl(url), QString()) == target;
    if (target.isEmpty() || typedExactName || !m_files->fileExists(target))
        return writeFile(url, filter);
    m_pendingUrl = url;
    m_pendingFilter = filter;
    m_replaceQuestion = tr("“%1” 已存在。要替换它吗？").arg(fileNameOf(target));
    emit replaceQuestionChanged();
    emit replaceAsked();
    return false;
}

bool fileWorkflow::answerReplace(bool replace)
{
    if (replace)
        return writeFile(m_pendingUrl, m_pendingFilter);
    say(tr("保存已取消"));
    m_closeAfterSave = false;
    return false;
}

// Writes the table; a failure keeps the current file and says why.
bool fileWorkflow::writeFile(const QString &url, const QString &filter)
{
    const QString target = m_files->saveTarget(QUrl(url), filter);
    const int channels = channelsToSave();
    m_files->setFixtureTypes(m_fixtures->types());
    if (!m_files->saveData(QUrl(url), channels, qMax(0, m_model->rangeFirst()),
                           qMax(0, m_model->rangeLast()), filter)) {
        say(tr("无法保存：%1").arg(m_files->lastError()));
        m_closeAfterSave = false;
        return false;
    }
    setChannelsInFile(channels);
    const bool isExport = target.endsWith(kCExtension);
    say((isExport ? tr("已导出 %1") : tr("已保存 %1")).arg(fileNameOf(target)));
    const QLatin1String extension = isExport ? kCExtension : kShowExtension;
    setCurrentFile(url.endsWith(extension) ? url : url + extension);
    // A C export keeps only patched channels and a range: the show itself is not saved.
    if (!isExport)
        m_history->setClean();
    if (m_closeAfterSave) {
        m_closeAfterSave = false;
        emit closeWindow();
    }
    return true;
}

bool fileWorkflow::saveCurrent()
{
    if (m_currentFile.isEmpty()) {
        emit saveTargetWanted();
        return false;
    }
    return writeFile(m_currentFile, m_currentFile.endsWith(kCExtension) ? cFilter() : showFilter());
}

void fileWorkflow::fileChoiceCancelled()
{
    m_closeAfterSave = false;
}

bool fileWorkflow::open(const QString &url)
{
    emit riskAhead();
    setLastFolder(url);
    const bool wasEmpty = m_model->rowCount() == 0 && m_fixtures->count() == 0;
    QString note;
    const int channels = readFile(QUrl(url), note);
    const QString reason = m_files->lastError();
    if (!reason.isEmpty()) {
        say(tr("无法打开 %1：%2").arg(fileNameOf(url), reason));
        return false;
    }
    setChannelsInFile(channels);
    m_model->setPlayerEndRow(static_cast<ushort>(qMax(0, m_model->rowCount() - 1)));
    if (m_files->fixtureBlockDamaged())
        note += tr("；灯具列表已损坏：已载入步，未载入灯具");
    if (m_files->songBlockDamaged())
        note += tr("；歌曲信息已损坏：未载入歌曲");
    say(tr("已打开 %1").arg(fileNameOf(url)) + note);
    setCurrentFile(url);
    // Appended to rows already there, the table is no longer what the file holds.
    if (wasEmpty)
        m_history->setClean();
    return true;
}

bool fileWorkflow::openRecovered(const QString &copyUrl, const QString &showUrl)
{
    QString note;
    const int channels = readFile(QUrl(copyUrl), note);
    const QString reason = m_files->lastError();
    if (!reason.isEmpty()) {
        say(tr("无法打开恢复副本 %1：%2").arg(fileNameOf(copyUrl), reason));
        return false;
    }
    setChannelsInFile(channels);
    m_model->setPlayerEndRow(static_cast<ushort>(qMax(0, m_model->rowCount() - 1)));
    setCurrentFile(showUrl);
    m_history->markUnsaved();
    say(tr("已恢复 %1").arg(showUrl.isEmpty() ? tr("新演出") : fileNameOf(showUrl)) + note);
    return true;
}

// The file's rows and, when it was read, its fixtures, as one undo step.
int fileWorkflow::readFile(const QUrl &url, QString &note)
{
    const historyStep step(m_history);
    const int channels = m_files->loadData(url);
    if (m_files->lastError().isEmpty())
        note = restoreFixtures(m_files->loadedFixtureTypes());
    return channels;
}

// The fixtures a show records, into a table without fixtures; a note on what was not.
QString fileWorkflow::restoreFixtures(const QVariantList &kinds)
{
    const int added = m_fixtures->restore(kinds);
    if (added < 0)
        return tr("；文件中的灯具未添加：表格保留自己的灯具");
    if (added < kinds.size())
        return tr("；只添加了文件中 %1 个灯具中的 %2 个").arg(kinds.size()).arg(added);
    return QString();
}

bool fileWorkflow::mayClose()
{
    if (m_closeConfirmed || m_history->isClean())
        return true;
    emit riskAhead();
    emit closeAsked();
    return false;
}

void fileWorkflow::answerClose(const QString &choice)
{
    if (choice == QLatin1String("discard")) {
        m_closeConfirmed = true;
        emit closeWindow();
    } else if (choice == QLatin1String("save")) {
        m_closeAfterSave = true;
        // A C export is no save of the show: choose a show file then.
        if (m_currentFile.endsWith(kShowExtension))
            saveCurrent();
        else
            emit saveTargetWanted();
    }
}
