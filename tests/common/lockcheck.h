#ifndef LOCKCHECK_H
#define LOCKCHECK_H

#include "changeset.h"

#include <QMetaMethod>
#include <QObject>

// Qt's hook for watching every signal emission (what QTest's -vs option uses).
struct QSignalSpyCallbackSet {
    typedef void (*BeginCallback)(QObject *caller, int signal_or_method_index, void **argv);
    typedef void (*EndCallback)(QObject *caller, int signal_or_method_index);
    BeginCallback signal_begin_callback, slot_begin_callback;
    EndCallback signal_end_callback, slot_end_callback;
};
void Q_CORE_EXPORT qt_register_signal_spy_callbacks(QSignalSpyCallbackSet *callback_set);

// Fails the test program when a signal is emitted inside an operation on the show: its
// receivers, QML bindings among them, would see the show halfway through it.
namespace lockCheck
{
using reportFunction = void (*)(const QByteArray &what);

inline void failHard(const QByteArray &what)
{
    qFatal("signal emitted inside an operation: %s", what.constData());
}

inline reportFunction &reporter()
{
    static reportFunction report = failHard;
    return report;
}

// The hook numbers signals only, across the class and its bases.
inline QByteArray signalName(const QMetaObject *meta, int signalIndex)
{
    for (int m = 0, signal = 0; m < meta->methodCount(); ++m) {
        if (meta->method(m).methodType() != QMetaMethod::Signal)
            continue;
        if (signal++ == signalIndex)
            return meta->method(m).methodSignature();
    }
    return QByteArray::number(signalIndex);
}

inline void onSignal(QObject *sender, int signalIndex, void **)
{
    if (!changeSet::isOpen())
        return;
    const QMetaObject *meta = sender->metaObject();
    reporter()(QByteArray(meta->className()) + "::" + signalName(meta, signalIndex));
}

inline void install()
{
    static QSignalSpyCallbackSet callbacks{onSignal, nullptr, nullptr, nullptr};
    qt_register_signal_spy_callbacks(&callbacks);
}
} // namespace lockCheck

#endif
