#include "showrecovery.h"

#include "dimlist.h"
#include "dmxfile.h"
#include "fileworkflow.h"
#include "undohistory.h"

#include <QCoreApplication>
#include <QUrl>

namespace
{
// How often a due copy is looked for; the copy's own delay decides when it is written.
constexpr int kPollMs = 1000;
} // namespace

showRecovery::showRecovery(dimList *model, fileWorkflow *flow, const QString &folder,
                           QObject *parent)
    : QObject(parent), m_model(model), m_flow(flow),
      m_history(qobject_cast<undoHistory *>(model->history())), m_folder(folder),
      m_copy(folder, [flow] { return flow->files()->showBytes(); })
{
    connect(m_history, &undoHistory::changed, this, &showRecovery::showChanged);
    connect(m_history, &undoHistory::cleanChanged, this, &showRecovery::showChanged);
    connect(m_flow, &fileWorkflow::currentFileChanged, this,
            [this] { m_copy.setShowName(m_flow->currentFile()); });
    connect(m_flow, &fileWorkflow::riskAhead, this, &showRecovery::keepNow);
    connect(&m_copy, &recoveryCopy::writeFailed, this,
            [this](const QString &reason) { say(tr("无法写入恢复副本：%1").arg(reason)); });
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, &m_copy, &recoveryCopy::poll);
    // A program that ends normally leaves no copy.
    if (QCoreApplication::instance())
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
                [this] { m_copy.remove(); });
}

void showRecovery::showChanged()
{
    const bool unsaved = !m_history->isClean();
    m_copy.showChanged(unsaved);
    if (unsaved)
        m_poll.start();
    else
        m_poll.stop();
}

void showRecovery::say(const QString &text)
{
    m_model->setStatusMessage(text);
}

QVariantList showRecovery::offered() const
{
    QVariantList list;
    for (const recoveryCopy::orphan &copy : m_offered) {
        list << QVariantMap{
            {QStringLiteral("path"), copy.path},
            {QStringLiteral("show"), m_flow->fileNameOf(copy.showName)},
            {QStringLiteral("written"), copy.written.toString(QStringLiteral("yyyy-MM-dd HH:mm"))},
            {QStringLiteral("steps"), copy.steps},
            {QStringLiteral("fixtures"), copy.fixtures}};
    }
    return list;
}

void showRecovery::lookForCopies()
{
    m_offered.clear();
    QStringList damaged;
    for (const recoveryCopy::orphan &copy : recoveryCopy::orphans(m_folder)) {
        if (copy.error.isEmpty()) {
            m_offered << copy;
            continue;
        }
        recoveryCopy::setAside(copy.path);
        damaged << tr("%1（%2）").arg(copy.path + QStringLiteral(".damaged"), copy.error);
    }
    if (!damaged.isEmpty())
        say(tr("恢复副本已损坏，未打开，已移到一旁：%1").arg(damaged.join(QStringLiteral("；"))));
    emit offeredChanged();
}

bool showRecovery::openOffered(int index)
{
    if (index < 0 || index >= m_offered.size())
        return false;
    const recoveryCopy::orphan copy = m_offered.takeAt(index);
    emit offeredChanged();
    keepNow();
    if (!m_flow->openRecovered(QUrl::fromLocalFile(copy.path).toString(), copy.showName))
        return false;
    // The old copy goes only once this program's own copy holds the show.
    if (m_copy.writeNow())
        recoveryCopy::discard(copy.path);
    return true;
}

void showRecovery::discardOffered(int index)
{
    if (index < 0 || index >= m_offered.size())
        return;
    recoveryCopy::discard(m_offered.takeAt(index).path);
    emit offeredChanged();
}

bool showRecovery::keepNow()
{
    return m_copy.writeNow();
}
