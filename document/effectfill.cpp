#include "effectfill.h"
#include "changeset.h"

#include "editwindow.h"
#include "effectgenerator.h"
#include "fixturedef.h"
#include "undohistory.h"

namespace
{
const char *const kShapes[] = {"constant", "ramp", "sine",   "triangle",
                               "square",   "saw",  "random", "named"};
const char *const kEasings[] = {"linear", "in", "out", "inOut"};

template <size_t N> int indexOf(const char *const (&names)[N], const QVariant &name, int fallback)
{
    for (size_t i = 0; i < N; ++i) {
        if (name.toString() == QLatin1String(names[i]))
            return int(i);
    }
    return fallback;
}

QVector<int> intsOf(const QVariant &list)
{
    QVector<int> out;
    for (const QVariant &v : list.toList())
        out << v.toInt();
    return out;
}

effectGenerator::params paramsOf(const QVariantMap &map)
{
    effectGenerator::params p;
    p.shape = indexOf(kShapes, map.value(QStringLiteral("shape")), effectGenerator::ramp);
    p.a = map.value(QStringLiteral("a"), p.a).toInt();
    p.b = map.value(QStringLiteral("b"), p.b).toInt();
    p.cycles = map.value(QStringLiteral("cycles"), p.cycles).toDouble();
    p.phase = map.value(QStringLiteral("phase"), p.phase).toDouble();
    p.easing = indexOf(kEasings, map.value(QStringLiteral("easing")), effectGenerator::linear);
    p.seed = map.value(QStringLiteral("seed"), p.seed).toUInt();
    p.spread = map.value(QStringLiteral("spread"), p.spread).toDouble();
    p.values = intsOf(map.value(QStringLiteral("values")));
    return p;
}

// Two fixtures are of one kind when they are the same built-in type, or come from the same
// definition in the same mode.
bool sameKindOf(const QVariant &a, const QVariant &b)
{
    const bool aDef = a.userType() != QMetaType::Int;
    if (aDef != (b.userType() != QMetaType::Int))
        return false;
    if (!aDef)
        return a.toInt() == b.toInt();
    const auto x = a.value<fixtureDef::definition>();
    const auto y = b.value<fixtureDef::definition>();
    if (x.manufacturer != y.manufacturer || x.model != y.model ||
        x.channels.size() != y.channels.size())
        return false;
    for (int c = 0; c < x.channels.size(); ++c) {
        if (x.channels.at(c).name != y.channels.at(c).name)
            return false;
    }
    return true;
}
} // namespace

effectFill::effectFill(editWindow &window, QObject *parent) : QObject(parent), m_window(window) {}

effectFill::span effectFill::range() const
{
    const stepTable &rows = m_pending ? m_before : m_window.document().steps();
    const showDocument::range ends = m_window.document().playRange();
    span s;
    const int first = qMax(qMin(ends.start, ends.end), 0);
    const int last = qMin(qMax(ends.start, ends.end), rows.size() - 1);
    if (first <= last) {
        s.first = first;
        s.last = last;
    }
    return s;
}

int effectFill::topOf(int column) const
{
    return column == 1 ? kSpeedTop : kLevelTop;
}

bool effectFill::preview(const QVariantMap &params)
{
    QVector<int> columns;
    for (int c : intsOf(params.value(QStringLiteral("columns")))) {
        if (c >= 1 && c < stepTable::kFixedCells + stepTable::kMaxChannels && !columns.contains(c))
            columns << c;
    }
    const effectGenerator::params p = paramsOf(params);
    const span rows = range();
    if (columns.isEmpty() || rows.first < 0)
        return false;
    const int count = rows.last - rows.first + 1;
    const effectGenerator::result made = effectGenerator::generate(p, count, columns.size(), 65535);
    write(columns, rows, made.values, columns.size());
    return true;
}

// Puts the generated values over the table as it was before the preview began.
void effectFill::write(const QVector<int> &columns, const span &rows, const QVector<int> &values,
                       int stride)
{
    bool clamped = false;
    {
        const changeSet edit;
        if (m_pending)
            m_window.document().stepsForWriting() = m_before;
        else
            m_before = m_window.document().steps();
        for (int r = rows.first; r <= rows.last; ++r) {
            const int *line = values.constData() + qint64(r - rows.first) * stride;
            for (int t = 0; t < columns.size(); ++t) {
                const int top = topOf(columns.at(t));
                clamped = clamped || line[t] > top;
                m_window.document().stepsForWriting().setCell(r, columns.at(t), qMin(line[t], top));
            }
        }
    }
    m_pending = true;
    m_clamped = clamped;
    m_rows = rows;
    m_columns = columns;
    m_columnSet = QSet<int>(columns.begin(), columns.end());
    ++m_revision;
    m_window.rowsRewritten();
    m_window.settle(true);
    emit changed();
}

void effectFill::keep()
{
    if (!m_pending)
        return;
    const stepTable before = m_before;
    m_before = stepTable();
    m_pending = false;
    recordKept(before);
    ++m_revision;
    emit changed();
}

// The cells the fill changed, as one undo step.
void effectFill::recordKept(const stepTable &before)
{
    QVector<cellChange> changes;
    {
        const changeSet edit;
        const stepTable &now = m_window.document().steps();
        for (int r = m_rows.first; r <= m_rows.last && r < now.size(); ++r) {
            for (int c : qAsConst(m_columns)) {
                const quint16 was = before.cell(r, c);
                const quint16 is = now.cell(r, c);
                if (was != is)
                    changes.append({r, quint16(c), was, is});
            }
        }
    }
    m_window.changeHistory()->beginStep();
    m_window.changeHistory()->cellsChanged(std::move(changes));
    m_window.changeHistory()->endStep();
}

void effectFill::cancel()
{
    if (!m_pending)
        return;
    {
        const changeSet edit;
        m_window.document().stepsForWriting() = m_before;
    }
    m_before = stepTable();
    m_pending = false;
    ++m_revision;
    m_window.rowsRewritten();
    m_window.settle(true);
    emit changed();
}

bool effectFill::isPreview(int row, int column) const
{
    return m_pending && row >= m_rows.first && row <= m_rows.last && m_columnSet.contains(column);
}

int effectFill::freshSeed() const
{
    return int(effectGenerator::freshSeed());
}

int effectFill::fixtureAt(int column) const
{
    const QVariantList ends = m_window.fixtureColumns().ends();
    for (int f = 0; f < ends.size(); ++f) {
        if (column >= firstColumnOf(f) && column < ends.at(f).toInt())
            return f;
    }
    return -1;
}

int effectFill::firstColumnOf(int fixture) const
{
    const fixtureLayout &list = m_window.fixtureColumns();
    return list.ends().value(fixture).toInt() - list.channelCounts().value(fixture).toInt();
}

QVariantList effectFill::sameKind(int fixture) const
{
    const QVariantList types = m_window.fixtureColumns().types();
    QVariantList out;
    if (fixture < 0 || fixture >= types.size())
        return out;
    for (int f = 0; f < types.size(); ++f) {
        if (f != fixture && sameKindOf(types.at(fixture), types.at(f)))
            out << f;
    }
    return out;
}

QVariantList effectFill::sameChannel(int column) const
{
    const int fixture = fixtureAt(column);
    QVariantList out;
    if (fixture < 0)
        return out << column;
    const int offset = column - firstColumnOf(fixture);
    QVariantList all = sameKind(fixture);
    all << fixture;
    std::sort(all.begin(), all.end(),
              [](const QVariant &a, const QVariant &b) { return a.toInt() < b.toInt(); });
    for (const QVariant &f : qAsConst(all))
        out << firstColumnOf(f.toInt()) + offset;
    return out;
}

QVariantList effectFill::namedValues(int column) const
{
    QVariantList out;
    if (column < stepTable::kFixedCells)
        return out;
    const QVariantList caps = m_window.fixtureColumns().capabilities(column - 2);
    for (const QVariant &cap : caps) {
        const QVariantMap c = cap.toMap();
        out << QVariantMap{{QStringLiteral("value"), c.value(QStringLiteral("min"))},
                           {QStringLiteral("name"), c.value(QStringLiteral("name"))}};
    }
    return out;
}

bool effectFill::copyFixture(int from, const QVariantList &to, int offset)
{
    const QVariantList same = sameKind(from);
    const int channels = m_window.fixtureColumns().channelCounts().value(from).toInt();
    QVector<cellChange> changes;
    {
        const changeSet edit;
        const span rows = range();
        if (m_pending || rows.first < 0 || channels <= 0)
            return false;
        const int length = rows.last - rows.first + 1;
        const int source = firstColumnOf(from);
        stepTable &table = m_window.document().stepsForWriting();
        for (int n = 0; n < to.size(); ++n) {
            if (!same.contains(to.at(n)))
                continue;
            const int target = firstColumnOf(to.at(n).toInt());
            const int behind = ((offset * (n + 1)) % length + length) % length;
            for (int r = 0; r < length; ++r) {
                const int read = rows.first + (r - behind + length) % length;
                for (int c = 0; c < channels; ++c) {
                    const quint16 was = table.cell(rows.first + r, target + c);
                    const quint16 is = table.cell(read, source + c);
                    if (was == is)
                        continue;
                    table.setCell(rows.first + r, target + c, is);
                    changes.append({rows.first + r, quint16(target + c), was, is});
                }
            }
        }
    }
    m_window.changeHistory()->beginStep();
    m_window.changeHistory()->cellsChanged(std::move(changes));
    m_window.changeHistory()->endStep();
    m_window.rowsRewritten();
    m_window.settle(true);
    return true;
}
