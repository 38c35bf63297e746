#include "commandline.h"

#include "synccontrol.h"
#include "timecode.h"

#include <QHash>
#include <QHostAddress>

#include <cstring>

namespace
{
const char *const kModeOptions[] = {"--export-c",
                                    "--to-dmx",
                                    "--list-fixtures",
                                    "--show-fixture",
                                    "--mode",
                                    "--help",
                                    "-h",
                                    "-?",
                                    "--help-all",
                                    "--version",
                                    "-v",
                                    "--list-recovery",
                                    "--analyse-audio"};

const QString kOscPort = QStringLiteral("osc-port");
const QString kOscAddress = QStringLiteral("osc-address");
const QString kTimecode = QStringLiteral("timecode");
const QString kTimecodeOffset = QStringLiteral("timecode-offset");
const QString kAudio = QStringLiteral("audio");
const QStringList kWindowOptions = {kOscPort, kOscAddress, kTimecode, kTimecodeOffset, kAudio};

// Every option but help and version, in the order --help lists them: name, what it does,
// and the name of its value where it takes one.
struct optionText {
    const char *name;
    const char *description;
    const char *valueName;
};
const optionText kOptions[] = {
    {"export-c",
     "Writes the player's C source of <show> (a .dmx show or a .c "
     "export) to OUTPUT.c, as the window's \"保存\" does.",
     "show"},
    {"to-dmx",
     "Turns the C export <c-file> (a .c file) back into the show "
     "OUTPUT.dmx.",
     "c-file"},
    {"range",
     "Exports only the table rows A to B (counted from 0, either "
     "order, at most 65534); the whole table by default.",
     "A:B"},
    {"stride",
     "Exports every S-th row of the range, and its last row "
     "(the window's step box); 1 to 65535, 1 by default.",
     "S"},
    {"osc-port",
     "The window listens for OSC remote control on UDP port N "
     "(0: off; 9000 unless the settings say otherwise).",
     "N"},
    {"osc-address",
     "The address OSC listens on: 127.0.0.1 by default, 0.0.0.0 "
     "for all interfaces, or one of this machine's.",
     "A"},
    {"timecode",
     "Follows the timecode from SOURCE (artnet: Art-Net on UDP "
     "6454; mtc: MIDI time code on \"dmxplayer in\"; ltc: LTC on "
     "the audio input) with output and playback on, unattended.",
     "SOURCE"},
    {"timecode-offset",
     "The timecode at which the play range starts, as "
     "HH:MM:SS:FF (HH:MM:SS;FF at 29.97 drop-frame).",
     "T"},
    {"audio",
     "Sets the show opened in the window to the song <song> (WAV, FLAC, Ogg Vorbis, Opus or "
     "MP3) and finds its beats, as the panel's \"音乐…\" does.",
     "song"},
    {"fixtures-off",
     "Switches off the patch fixtures with these numbers (0 to "
     "255), as their boxes in the fixture strip do.",
     "N,M,..."},
    {"list-fixtures",
     "Lists every fixture definition and mode in the libraries "
     "(manufacturer, model, mode, channels, file), only those "
     "containing TEXT when it is given.",
     nullptr},
    {"show-fixture",
     "Prints, as JSON, what the program understood of the "
     ".qxf or Open Fixture Library file <file>.",
     "file"},
    {"mode", "With --show-fixture: only the mode with this name.", "NAME"},
    {"list-recovery",
     "Lists the recovery copies left by programs that ended without saving (file, show, "
     "time, steps, fixtures, and why one cannot be opened).",
     nullptr},
    {"analyse-audio",
     "Prints, as JSON, the length, sample rate, tempo and beat times (ms) of the song <song> "
     "(WAV, FLAC, Ogg Vorbis, Opus or MP3).",
     "song"},
};

bool isModeOption(const char *arg)
{
    for (const char *option : kModeOptions) {
        const size_t length = std::strlen(option);
        // "--export-c=show.dmx" names the option as well.
        if (std::strncmp(arg, option, length) == 0 && (arg[length] == '\0' || arg[length] == '='))
            return true;
    }
    return false;
}
} // namespace

commandLine::commandLine()
{
    describe();
}

bool commandLine::wantsNoDisplay(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            return false;
        if (isModeOption(argv[i]))
            return true;
    }
    return false;
}

void commandLine::describe()
{
    m_parser.setApplicationDescription(
        QStringLiteral("Editor and player for DMX512 step programs.\n"
                       "Without options it opens the window and appends the shows given, in "
                       "order.\nWith --export-c or --to-dmx it converts without a display; "
                       "--list-fixtures and --show-fixture need none either."));
    m_parser.addHelpOption();
    m_parser.addVersionOption();
    for (const optionText &option : kOptions) {
        QCommandLineOption added(QString::fromLatin1(option.name),
                                 QString::fromUtf8(option.description));
        if (option.valueName)
            added.setValueName(QString::fromLatin1(option.valueName));
        m_parser.addOption(added);
    }
    m_parser.addPositionalArgument(
        QStringLiteral("files"),
        QStringLiteral("With a conversion: the file to write. With --list-fixtures: the TEXT "
                       "to look for. Otherwise: the shows (.dmx or .c) to open in the window, "
                       "appended in order."),
        QStringLiteral("[OUTPUT | TEXT | SHOW...]"));
}

bool commandLine::parse(const QStringList &arguments)
{
    m_arguments = arguments;
    return m_parser.parse(arguments);
}

// Each value of the options `names` in the order written, so the first bad one is the one
// reported. Only the last argument can lack its value; it is checked as an empty one.
bool commandLine::eachValue(const QStringList &names, const check &take, QString &error) const
{
    QHash<QString, int> seen;
    for (const QString &name : m_parser.optionNames()) {
        if (!names.contains(name))
            continue;
        error = take(name, m_parser.values(name).value(seen[name]++));
        if (!error.isEmpty())
            return false;
    }
    return true;
}

bool commandLine::remote(remoteOptions &out, QString &error) const
{
    const auto take = [&out](const QString &name, const QString &value) {
        if (name == kOscPort) {
            bool number = false;
            const int port = value.toInt(&number);
            if (!number || port < 0 || port > 65535)
                return QStringLiteral("--osc-port takes a port from 0 (off) to 65535");
            out.oscPort = port;
        } else {
            if (QHostAddress(value).isNull())
                return QStringLiteral("--osc-address takes an IP address (0.0.0.0: all)");
            out.oscAddress = value;
        }
        return QString();
    };
    return eachValue({kOscPort, kOscAddress}, take, error);
}

bool commandLine::sync(syncOptions &out, QString &error) const
{
    const auto take = [&out](const QString &name, const QString &value) {
        if (name == kTimecode) {
            if (!syncControl::sources().contains(value))
                return QStringLiteral("--timecode takes artnet, mtc or ltc");
            out.timecode = value;
        } else {
            timecode::hmsf time;
            if (!timecode::parse(value, time))
                return QStringLiteral("--timecode-offset takes a time as HH:MM:SS:FF");
            out.offset = value;
        }
        return QString();
    };
    return eachValue({kTimecode, kTimecodeOffset}, take, error);
}

QString commandLine::audio() const
{
    return m_parser.value(kAudio);
}

// Read from the arguments themselves, so the report names each one as it was written
// ("-xyz", "--name=value") and not as the parser splits it.
QStringList commandLine::ignored() const
{
    QStringList out;
    for (int i = 1; i < m_arguments.size(); ++i) {
        const QString &argument = m_arguments.at(i);
        if (argument == QLatin1String("--"))
            break;
        if (!argument.startsWith(QLatin1Char('-')) || argument.size() < 2)
            continue;
        const QString name = argument.mid(2).section(QLatin1Char('='), 0, 0);
        if (!argument.startsWith(QLatin1String("--")) || !kWindowOptions.contains(name))
            out << argument;
        else if (!argument.contains(QLatin1Char('=')))
            ++i; // its value
    }
    return out;
}
