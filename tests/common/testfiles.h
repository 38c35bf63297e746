#ifndef TESTFILES_H
#define TESTFILES_H

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

// Writes a file the test made up, creating its folders.
inline void writeTestFile(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

#endif
