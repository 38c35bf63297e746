#ifndef FUZZSUPPORT_H
#define FUZZSUPPORT_H

#include "coretestsupport.h"
#include "dmxfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <cstdint>
#include <cstdlib>

namespace fuzz
{
inline void dropMessage(QtMsgType, const QMessageLogContext &, const QString &) {}

// Writes the input to a file named with the given suffix and loads it into a fresh table
// that holds two rows already; then checks what a load must never break.
inline void loadInput(const uint8_t *data, size_t size, const char *suffix)
{
    static QTemporaryDir dir;
    static dmxFile files;
    static const bool quiet = (qInstallMessageHandler(dropMessage), true);
    Q_UNUSED(quiet)
    const QString path = dir.filePath(QStringLiteral("input") + QLatin1String(suffix));
    {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly))
            std::abort();
        out.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    freshCore(modelCheck::none);
    appendRow(1, 2, 3);
    appendRow(4, 5, 6);

    const int result = files.loadData(QUrl::fromLocalFile(path));
    dimList *model = coreModel();
    if (result < 0 || result > 512 || model->rowCount() < 2)
        std::abort();
    if (model->m_playEnd != model->rowCount() - 1 && model->m_playEnd != -1)
        std::abort();
    for (int r = 0; r < model->rowCount(); ++r) {
        const StepRow &row = *model->m_data.at(r);
        if (row.size() != model->m_columns || (r >= 2 && row.at(0) != quint16(r)))
            std::abort();
    }
    if (model->m_data.at(0)->at(1) != 1 || model->m_data.at(1)->at(3) != 6)
        std::abort();
}
} // namespace fuzz

#endif
