#ifndef PATCHCASES_H
#define PATCHCASES_H

#include "coretestsupport.h"

#include <QtTest>

inline QList<int> channelSpan(int from, int to)
{
    QList<int> out;
    for (int c = from; c <= to; ++c)
        out << c;
    return out;
}

// Patches made the way the table makes them, and the 0-based channels they send, in frame
// slot order: slot i carries channel sent[i].
inline void addPatchCases()
{
    QTest::addColumn<QList<int>>("fixtures"); // channel counts added in turn; -1 removes the last
    QTest::addColumn<QList<int>>("off");
    QTest::addColumn<QList<int>>("sent");
    using L = QList<int>;
    QTest::newRow("start-up, all on") << L{} << L{} << channelSpan(0, 107);
    QTest::newRow("start-up, 1 off") << L{} << L{1} << channelSpan(0, 17) + channelSpan(36, 107);
    QTest::newRow("start-up, 2 and 4 off")
        << L{} << L{2, 4} << channelSpan(0, 35) + channelSpan(54, 71) + channelSpan(90, 107);
    QTest::newRow("start-up, all off") << L{} << L{0, 1, 2, 3, 4, 5} << L{};
    QTest::newRow("one 33") << L{33} << L{} << channelSpan(0, 32);
    QTest::newRow("four 33") << L{33, 33, 33, 33} << L{} << channelSpan(0, 131);
    QTest::newRow("middle off") << L{33, 20, 12, 33} << L{1, 2}
                                << channelSpan(0, 32) + channelSpan(65, 97);
    QTest::newRow("ends off") << L{33, 20, 12, 33} << L{0, 3} << channelSpan(33, 64);
    QTest::newRow("last removed") << L{33, 20, 12, -1} << L{} << channelSpan(0, 52);
    QTest::newRow("all removed") << L{33, 20, -1, -1} << L{} << channelSpan(0, 107);
    QTest::newRow("512 in total") << L{200, 300, 12} << L{} << channelSpan(0, 511);
    QTest::newRow("512, middle off")
        << L{200, 300, 12} << L{1} << channelSpan(0, 199) + channelSpan(500, 511);
}

inline void applyPatchCase(const QList<int> &fixtures, const QList<int> &off)
{
    dimList *m = coreModel();
    int count = 0;
    for (int channels : fixtures) {
        if (channels < 0)
            m->delete_light_fix(--count);
        else
            m->add_light_fix(count++, channels);
    }
    for (int f : off)
        fixture(f)->setSelectUnannounced(false);
}

#endif
