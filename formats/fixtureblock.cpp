#include "fixtureblock.h"

#include <QtEndian>

namespace
{
constexpr char kPlainTag[8] = {'F', 'I', 'X', 'T', 'U', 'R', 'E', 'S'};
constexpr char kDefinitionTag[8] = {'F', 'I', 'X', 'T', 'D', 'E', 'F', 'S'};
constexpr int kHead = 12;

// Big-endian fields into a growing array.
class writer
{
  public:
    void byte(int value) { m_out.append(char(quint8(value))); }
    void word(int value)
    {
        byte(value >> 8);
        byte(value);
    }
    void text(const QString &value)
    {
        const QByteArray utf8 = value.left(fixtureDef::kMaxNameLength).toUtf8();
        word(utf8.size());
        m_out.append(utf8);
    }
    QByteArray take() { return m_out; }

  private:
    QByteArray m_out;
};

// The same fields back; once a field runs past the end every later one fails too, so a
// damaged block never drives an allocation larger than itself.
class reader
{
  public:
    explicit reader(const QByteArray &in) : m_in(in), m_pos(kHead) {}
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_pos == m_in.size(); }
    int byte()
    {
        if (!take(1))
            return 0;
        return quint8(m_in.at(m_pos - 1));
    }
    int word()
    {
        const int high = byte();
        return (high << 8) | byte();
    }
    QString text()
    {
        const int size = word();
        if (size > fixtureDef::kMaxNameLength * 4 || !take(size))
            return QString();
        return QString::fromUtf8(m_in.constData() + m_pos - size, size);
    }
    // A count of items that each take at least `least` bytes.
    int count(int limit, int least)
    {
        const int n = word();
        if (n > limit || qint64(n) * least > m_in.size() - m_pos)
            m_ok = false;
        return m_ok ? n : 0;
    }

  private:
    bool take(int size)
    {
        if (!m_ok || size > m_in.size() - m_pos) {
            m_ok = false;
            return false;
        }
        m_pos += size;
        return true;
    }

    const QByteArray &m_in;
    int m_pos;
    bool m_ok = true;
};

void writeChannel(writer &out, const fixtureDef::channel &channel)
{
    out.text(channel.name);
    out.text(channel.kind);
    out.byte(channel.fine ? 1 : 0);
    out.word(channel.capabilities.size());
    for (const fixtureDef::capability &capability : channel.capabilities) {
        out.byte(capability.min);
        out.byte(capability.max);
        out.byte(capability.stepped ? 1 : 0);
        out.text(capability.name);
    }
}

void writeDefinition(writer &out, const fixtureDef::definition &def)
{
    out.text(def.manufacturer);
    out.text(def.model);
    out.text(def.type);
    const fixtureDef::mode used = def.modes.value(0);
    out.text(used.name);
    out.word(used.channels.size());
    for (int index : used.channels)
        writeChannel(out, def.channels.value(index));
}

fixtureDef::channel readChannel(reader &in)
{
    fixtureDef::channel channel;
    channel.name = in.text();
    channel.kind = in.text();
    channel.fine = in.byte() != 0;
    const int capabilities = in.count(fixtureDef::kMaxCapabilities, 5);
    channel.capabilities.reserve(capabilities);
    for (int i = 0; i < capabilities && in.ok(); ++i) {
        fixtureDef::capability capability;
        capability.min = in.byte();
        capability.max = in.byte();
        capability.stepped = in.byte() != 0;
        capability.name = in.text();
        channel.capabilities.append(capability);
    }
    return channel;
}

fixtureDef::definition readDefinition(reader &in)
{
    fixtureDef::definition def;
    def.manufacturer = in.text();
    def.model = in.text();
    def.type = in.text();
    fixtureDef::mode used;
    used.name = in.text();
    const int channels = in.count(fixtureDef::kMaxChannels, 7);
    def.channels.reserve(channels);
    for (int i = 0; i < channels && in.ok(); ++i) {
        def.channels.append(readChannel(in));
        used.channels.append(i);
    }
    def.modes.append(used);
    return def;
}

QByteArray headed(const char *tag, const QByteArray &body)
{
    QByteArray out(tag, sizeof kPlainTag);
    char size[4];
    qToBigEndian<qint32>(body.size(), size);
    out.append(size, sizeof size);
    return out + body;
}

bool decodeDefinitions(const QByteArray &block, QByteArray &types,
                       QVector<fixtureDef::definition> &definitions)
{
    reader in(block);
    if (in.byte() != fixtureBlock::kVersion)
        return false;
    const int fixtures = in.count(fixtureDef::kMaxChannels, 1);
    for (int i = 0; i < fixtures && in.ok(); ++i) {
        const int type = in.byte();
        types.append(char(type));
        if (type == fixtureBlock::kDefinitionType)
            definitions.append(readDefinition(in));
    }
    return in.ok() && in.atEnd();
}
} // namespace

QByteArray fixtureBlock::encode(const QByteArray &types,
                                const QVector<fixtureDef::definition> &definitions)
{
    if (types.isEmpty())
        return QByteArray();
    if (!types.contains(char(kDefinitionType)))
        return headed(kPlainTag, types);
    writer out;
    out.byte(kVersion);
    out.word(types.size());
    int next = 0;
    for (const char type : types) {
        out.byte(uchar(type));
        if (uchar(type) == kDefinitionType)
            writeDefinition(out, definitions.value(next++));
    }
    return headed(kDefinitionTag, out.take());
}

qint64 fixtureBlock::announcedSize(const QByteArray &bytes)
{
    const bool tagged = bytes.startsWith(QByteArray(kPlainTag, sizeof kPlainTag)) ||
                        bytes.startsWith(QByteArray(kDefinitionTag, sizeof kDefinitionTag));
    if (!tagged || bytes.size() < kHead)
        return -1;
    const qint32 body = qFromBigEndian<qint32>(bytes.constData() + sizeof kPlainTag);
    return body < 0 ? -1 : kHead + qint64(body);
}

bool fixtureBlock::decode(const QByteArray &block, QByteArray &types,
                          QVector<fixtureDef::definition> &definitions)
{
    types.clear();
    definitions.clear();
    // A head cut short has no length to read; it is damaged whatever its size.
    if (block.size() < kHead || block.size() > kMaxSize ||
        qFromBigEndian<qint32>(block.constData() + sizeof kPlainTag) != block.size() - kHead)
        return false;
    bool whole = false;
    if (block.startsWith(QByteArray(kPlainTag, sizeof kPlainTag))) {
        types = block.mid(kHead);
        whole = true;
    } else if (block.startsWith(QByteArray(kDefinitionTag, sizeof kDefinitionTag))) {
        whole = decodeDefinitions(block, types, definitions);
    }
    if (!whole) {
        types.clear();
        definitions.clear();
    }
    return whole;
}
