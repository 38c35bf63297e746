#include "effectgenerator.h"

#include <QDateTime>

#include <cmath>

namespace effectGenerator
{
namespace
{
constexpr double kTwoPi = 6.283185307179586;

// xorshift32: small, fast and the same on every machine, so a seed names a pattern.
class xorshift
{
  public:
    explicit xorshift(quint32 seed) : m_state(seed == 0 ? 0x9e3779b9u : seed) {}
    quint32 next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }

  private:
    quint32 m_state;
};

double wrap(double x)
{
    return x - std::floor(x);
}

double eased(double u, int how)
{
    switch (how) {
    case easeIn:
        return u * u;
    case easeOut:
        return 1.0 - (1.0 - u) * (1.0 - u);
    case easeInOut:
        return u * u * (3.0 - 2.0 * u);
    default:
        return u;
    }
}

// Where 0..1 between A and B a wave stands at `x` cycles; every wave starts at A.
double waveAt(int form, double x)
{
    const double f = wrap(x);
    switch (form) {
    case sine:
        return (1.0 - std::cos(kTwoPi * f)) / 2.0;
    case triangle:
        return f < 0.5 ? 2.0 * f : 2.0 - 2.0 * f;
    case square:
        return f < 0.5 ? 0.0 : 1.0;
    default:
        return f;
    }
}

// A ramp reaches B on the last row; a later target starts its ramp `delay` of the rows
// later and finishes the earlier part at the end, as a chase does.
double rampAt(const params &p, int row, int rows, double delay)
{
    if (rows < 2)
        return 0.0;
    double u = double(row) / double(rows - 1) - delay;
    if (u < 0.0)
        u += std::ceil(-u);
    return eased(qMin(u, 1.0), p.easing);
}

// The position in a sequence of `length` items a target `delay` cycles behind reads.
int shifted(int row, int length, double delay)
{
    const int offset = int(std::lround(delay * length)) % length;
    return ((row - offset) % length + length) % length;
}

QVector<int> randomSequence(const params &p, int rows)
{
    xorshift draw(p.seed);
    const int low = qMin(p.a, p.b);
    const quint32 span = quint32(qAbs(p.b - p.a)) + 1;
    QVector<int> sequence(rows);
    for (int r = 0; r < rows; ++r)
        sequence[r] = low + int(draw.next() % span);
    return sequence;
}

double between(const params &p, double f)
{
    return double(p.a) + double(p.b - p.a) * f;
}
} // namespace

result generate(const params &p, int rows, int targets, int top)
{
    result out;
    if (rows <= 0 || targets <= 0)
        return out;
    out.values.resize(rows * targets);
    const QVector<int> sequence = p.shape == random
                                      ? randomSequence(p, rows)
                                      : (p.shape == named ? p.values : QVector<int>());
    for (int t = 0; t < targets; ++t) {
        const double delay = p.spread * t;
        for (int r = 0; r < rows; ++r) {
            double v = p.a;
            switch (p.shape) {
            case constant:
                break;
            case ramp:
                v = between(p, rampAt(p, r, rows, delay));
                break;
            case random:
                v = sequence.at(shifted(r, rows, delay));
                break;
            case named:
                v = sequence.isEmpty() ? 0 : sequence.at(shifted(r, sequence.size(), delay));
                break;
            default:
                v = between(p, waveAt(p.shape, p.cycles * r / rows + p.phase - delay));
                break;
            }
            const int rounded = int(std::lround(v));
            const int kept = qBound(0, rounded, top);
            out.clamped = out.clamped || kept != rounded;
            out.values[r * targets + t] = kept;
        }
    }
    return out;
}

quint32 freshSeed()
{
    const quint64 now = quint64(QDateTime::currentMSecsSinceEpoch());
    const quint32 seed = quint32(now ^ (now >> 32)) % 1000000u;
    return seed == 0 ? 1 : seed;
}
} // namespace effectGenerator
