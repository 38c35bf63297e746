#include "valueentry.h"

#include "dimlist.h"
#include "dmx.h"
#include "historystep.h"
#include "undohistory.h"

valueEntry::valueEntry(dimList *model, dmx *out, QObject *parent)
    : QObject(parent), m_model(model), m_out(out),
      m_history(model ? qobject_cast<undoHistory *>(model->history()) : nullptr)
{
}

valueEntry::entry valueEntry::afterKey(int key, const QString &text, int top, bool returnCommits)
{
    if (key == Qt::Key_Delete)
        return {QString(), false};
    const bool commit = key == Qt::Key_Enter || (returnCommits && key == Qt::Key_Return);
    if (!commit)
        return {text, false};
    // An empty field is above no top.
    bool number = false;
    const double value = text.toDouble(&number);
    return {number && value > top ? QString::number(top) : text, true};
}

QVariantMap valueEntry::keyed(int key, const QString &text, int top, bool returnCommits) const
{
    const entry result = afterKey(key, text, top, returnCommits);
    return {{QStringLiteral("text"), result.text}, {QStringLiteral("commit"), result.commit}};
}

void valueEntry::setAllLevels(int value)
{
    if (m_model->playing())
        m_model->sendDmxEnable(false);
    const historyStep step(m_history);
    m_out->setAllDmxValue(static_cast<uchar>(value));
}

void valueEntry::setDefaultLevels()
{
    const historyStep step(m_history);
    m_out->setDefaultDmxValue();
}
