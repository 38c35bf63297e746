#include "headless.h"

#include "commandline.h"
#include "dimlist.h"
#include "dmx.h"
#include "dmxfile.h"
#include "fixturecommands.h"
#include "fixturelibrary.h"
#include "fixturelist.h"
#include "light_list.h"
#include "loadlog.h"
#include "recoverycopy.h"
#include "showlimits.h"
#include "songanalyser.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QUrl>

#include <cstdio>

namespace
{
const QString kCFilter = QStringLiteral("Dmx-c files (*.c )");
const QString kShowFilter = QStringLiteral("Dmx files (*.dmx )");
// Channels a show can hold.
constexpr int kMaxChannels = showLimits::kMaxChannels;
// A row number names a row of the table; a stride past it still writes the range's ends.
constexpr int kMaxRow = showLimits::kMaxRows - 1;
constexpr int kMaxStride = showLimits::kMaxRows;
constexpr int kMaxFixtureNumber = 255; // a fixture's number is a byte

// The file service chooses the format by the name's ending, exactly like this. --to-dmx
// takes only a C export: a show named there would only be copied, less its fixtures.
QString inputProblem(const QString &path, bool toC)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("no such file");
    if (info.isDir())
        return QStringLiteral("is a folder");
    if (!info.isReadable())
        return QStringLiteral("permission denied");
    if (!toC && !path.endsWith(QLatin1String(".c")))
        return QStringLiteral("--to-dmx takes a C export (a .c file)%1")
            .arg(path.endsWith(QLatin1String(".dmx")) ? QStringLiteral(", this is a show")
                                                      : QString());
    if (!path.endsWith(QLatin1String(".dmx")) && !path.endsWith(QLatin1String(".c")))
        return QStringLiteral("neither a .dmx show nor a .c export (by its name)");
    return QString();
}

QString jsonText(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    // ["..."] without its brackets.
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString msText(double ms)
{
    return QString::number(ms, 'f', 1);
}

// One line, the keys in the order a reader expects them.
QString analysisJson(const QString &file, const songAnalysis &song)
{
    QStringList beats;
    beats.reserve(song.beats.size());
    for (double at : song.beats)
        beats << msText(at);
    return QStringLiteral("{\"file\":%1,\"lengthMs\":%2,\"sampleRate\":%3,\"tempoBpm\":%4,"
                          "\"firstBeatMs\":%5,\"beats\":[%6]}")
        .arg(jsonText(file))
        .arg(song.lengthMs)
        .arg(song.sampleRate)
        .arg(QString::number(song.tempoBpm, 'f', 3), msText(song.firstBeatMs),
             beats.join(QLatin1Char(',')));
}

// A whole number from `low` to `high`, digits only.
bool parseCount(const QString &text, int low, int high, int &out)
{
    static const QRegularExpression digits(QStringLiteral("^\\d{1,9}$"));
    if (!digits.match(text).hasMatch())
        return false;
    out = text.toInt();
    return out >= low && out <= high;
}
} // namespace

bool headless::readJob(const QCommandLineParser &parser, job &out, QString &error)
{
    const bool toC = parser.isSet(QStringLiteral("export-c"));
    const bool toDmx = parser.isSet(QStringLiteral("to-dmx"));
    if (toC == toDmx) {
        error = QStringLiteral("give one of --export-c and --to-dmx");
        return false;
    }
    out.toC = toC;
    out.input = parser.value(toC ? QStringLiteral("export-c") : QStringLiteral("to-dmx"));
    const QStringList rest = parser.positionalArguments();
    if (rest.size() != 1) {
        error = QStringLiteral("give exactly one output file after the input");
        return false;
    }
    out.output = rest.first();
    const bool cOnly = parser.isSet(QStringLiteral("range")) ||
                       parser.isSet(QStringLiteral("stride")) ||
                       parser.isSet(QStringLiteral("fixtures-off"));
    if (!toC && cOnly) {
        error = QStringLiteral("--range, --stride and --fixtures-off go with --export-c");
        return false;
    }
    if (parser.isSet(QStringLiteral("range"))) {
        const QStringList ends = parser.value(QStringLiteral("range")).split(QLatin1Char(':'));
        if (ends.size() != 2 || !parseCount(ends.at(0), 0, kMaxRow, out.first) ||
            !parseCount(ends.at(1), 0, kMaxRow, out.last)) {
            error =
                QStringLiteral("--range wants two row numbers A:B, each from 0 to %1").arg(kMaxRow);
            return false;
        }
        out.hasRange = true;
    }
    if (parser.isSet(QStringLiteral("stride"))) {
        int stride = 0;
        if (!parseCount(parser.value(QStringLiteral("stride")), 1, kMaxStride, stride)) {
            error = QStringLiteral("--stride wants a whole number from 1 to %1").arg(kMaxStride);
            return false;
        }
        out.stride = uint(stride);
    }
    if (parser.isSet(QStringLiteral("fixtures-off"))) {
        const QStringList numbers =
            parser.value(QStringLiteral("fixtures-off")).split(QLatin1Char(','));
        for (const QString &number : numbers) {
            int id = 0;
            if (!parseCount(number.trimmed(), 0, kMaxFixtureNumber, id)) {
                error = QStringLiteral("--fixtures-off wants fixture numbers from 0 to %1, such "
                                       "as 1,3")
                            .arg(kMaxFixtureNumber);
                return false;
            }
            out.fixturesOff << id;
        }
    }
    return true;
}

// The fixtures a show records, added through the table's fixture list as opening the show in
// the window does. Returns the channels they take.
int headless::restoreFixtures(const QVariantList &types)
{
    fixtureList *fixtures = g_dimList->fixtures();
    fixtures->restore(types);
    return fixtures->columnEnd() - fixtureList::kFixedColumns;
}

// Through the fixture objects themselves, as the strip's check boxes write them.
bool headless::switchFixturesOff(const QList<int> &numbers, QString &error)
{
    const QList<QObject *> &fixtures = g_dimList->output()->patch()->entries();
    for (int number : numbers) {
        QObject *found = nullptr;
        for (QObject *fixture : fixtures)
            if (fixture->property("fixID").toInt() == number)
                found = fixture;
        if (!found) {
            QStringList known;
            for (QObject *fixture : fixtures)
                known << QString::number(fixture->property("fixID").toInt());
            error = QStringLiteral("the patch has no fixture %1 (it has %2)")
                        .arg(number)
                        .arg(known.join(QLatin1Char(',')));
            return false;
        }
        found->setProperty("fixSelect", 0);
    }
    return true;
}

int headless::fail(const QString &file, const QString &reason)
{
    if (file.isEmpty())
        std::fprintf(stderr, "dmxplayer: %s\n", qPrintable(reason));
    else
        std::fprintf(stderr, "dmxplayer: %s: %s\n", qPrintable(file), qPrintable(reason));
    return 1;
}

int headless::convert(const job &work)
{
    const QString problem = inputProblem(work.input, work.toC);
    if (!problem.isEmpty())
        return fail(work.input, problem);
    const QString ending = work.toC ? QStringLiteral(".c") : QStringLiteral(".dmx");
    if (!work.output.endsWith(ending))
        return fail(work.output, QStringLiteral("the output's name must end in %1").arg(ending));
    if (QFileInfo(work.output).absoluteFilePath() == QFileInfo(work.input).absoluteFilePath())
        return fail(work.output, QStringLiteral("is the input file"));

    // A conversion sends no frames, so it never starts the output thread.
    if (!g_dimList)
        g_dimList = new dimList(nullptr);
    dmxFile files;
    int channels = 0;
    {
        loadLog quiet(false);
        channels = files.loadData(QUrl::fromLocalFile(QFileInfo(work.input).absoluteFilePath()));
        if (!files.lastError().isEmpty())
            return fail(work.input, files.lastError());
    }
    // The window saves every channel of its fixture columns too.
    channels = qMin(kMaxChannels, qMax(channels, restoreFixtures(files.loadedFixtureTypes())));

    const int rows = g_dimList->rowCount();
    int first = 0;
    int last = qMax(0, rows - 1);
    if (work.hasRange) {
        if (work.first >= rows || work.last >= rows)
            return fail(work.input, QStringLiteral("--range %1:%2 lies outside its rows 0 to %3")
                                        .arg(work.first)
                                        .arg(work.last)
                                        .arg(rows - 1));
        first = qMin(work.first, work.last);
        last = qMax(work.first, work.last);
    }
    QString error;
    if (!switchFixturesOff(work.fixturesOff, error))
        return fail(QString(), error);
    g_dimList->setDmxDataBetween(work.stride);

    loadLog quiet(false);
    const QUrl target = QUrl::fromLocalFile(QFileInfo(work.output).absoluteFilePath());
    // A failed save names its path itself.
    if (!files.saveData(target, channels, first, last, work.toC ? kCFilter : kShowFilter))
        return fail(QString(), files.lastError());
    return 0;
}

// One line per copy: file, show, time written, steps, fixtures, and "ok" or the reason it
// cannot be opened.
int headless::listRecovery()
{
    for (const recoveryCopy::orphan &copy : recoveryCopy::orphans(recoveryCopy::defaultFolder())) {
        const QString show = copy.showName.isEmpty() ? QStringLiteral("(new show)") : copy.showName;
        std::printf("%s\t%s\t%s\t%d steps\t%d fixtures\t%s\n", qPrintable(copy.path),
                    qPrintable(show), qPrintable(copy.written.toString(Qt::ISODate)), copy.steps,
                    copy.fixtures, copy.error.isEmpty() ? "ok" : qPrintable(copy.error));
    }
    return 0;
}

int headless::analyseAudio(const QCommandLineParser &parser)
{
    const bool other = parser.isSet(QStringLiteral("export-c")) ||
                       parser.isSet(QStringLiteral("to-dmx")) ||
                       parser.isSet(QStringLiteral("list-fixtures")) ||
                       parser.isSet(QStringLiteral("show-fixture"));
    if (other || !parser.positionalArguments().isEmpty())
        return fail(QString(), QStringLiteral("--analyse-audio takes one song and no other "
                                              "command (see --help)"));
    const QString song = parser.value(QStringLiteral("analyse-audio"));
    songAnalysis analysis;
    QString error;
    if (!songAnalyser::analyse(song, analysis, error))
        return fail(song, error);
    std::printf("%s\n", analysisJson(song, analysis).toUtf8().constData());
    return 0;
}

// -1 when the arguments ask for no fixture command, else the command's exit status.
int headless::fixtureCommand(const QCommandLineParser &parser)
{
    const bool list = parser.isSet(QStringLiteral("list-fixtures"));
    const bool show = parser.isSet(QStringLiteral("show-fixture"));
    if (!list && !show) {
        if (parser.isSet(QStringLiteral("mode")))
            return fail(QString(), QStringLiteral("--mode goes with --show-fixture (see --help)"));
        return -1;
    }
    const bool conversion =
        parser.isSet(QStringLiteral("export-c")) || parser.isSet(QStringLiteral("to-dmx"));
    if ((list && show) || conversion)
        return fail(QString(), QStringLiteral("give one of --export-c, --to-dmx, "
                                              "--list-fixtures and --show-fixture (see --help)"));
    const QStringList rest = parser.positionalArguments();
    if (show) {
        if (!rest.isEmpty())
            return fail(QString(), QStringLiteral("--show-fixture takes one file (see --help)"));
        return fixtureCommands::show(parser.value(QStringLiteral("show-fixture")),
                                     parser.value(QStringLiteral("mode")));
    }
    if (parser.isSet(QStringLiteral("mode")) || rest.size() > 1)
        return fail(QString(),
                    QStringLiteral("--list-fixtures takes at most one TEXT (see --help)"));
    return fixtureCommands::list(fixtureLibrary::defaultFolders(), rest.value(0));
}

int headless::run(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Orvane"));
    QCoreApplication::setApplicationName(QStringLiteral("dmxplayer"));
    QCoreApplication::setApplicationVersion(QStringLiteral(DMX_VERSION));

    commandLine line;
    if (!line.parse(QCoreApplication::arguments()))
        return fail(QString(), line.errorText() + QStringLiteral(" (see --help)"));
    QCommandLineParser &parser = line.parser();
    if (parser.isSet(QStringLiteral("help")) ||
        parser.optionNames().contains(QStringLiteral("help-all")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    if (parser.isSet(QStringLiteral("list-recovery")))
        return listRecovery();
    if (parser.isSet(QStringLiteral("analyse-audio")))
        return analyseAudio(parser);
    const int fixtureStatus = fixtureCommand(parser);
    if (fixtureStatus >= 0)
        return fixtureStatus;
    job work;
    QString error;
    if (!readJob(parser, work, error))
        return fail(QString(), error + QStringLiteral(" (see --help)"));
    // The core's debug lines are for the window's log; a build step wants only its errors.
    loadLog quiet(false);
    return convert(work);
}
