#ifndef COMMANDLINE_H
#define COMMANDLINE_H

#include "remoteoptions.h"
#include "syncoptions.h"

#include <QCommandLineParser>
#include <QStringList>

#include <functional>

// Every option the program takes, described and parsed here once at start-up. The
// conversions read the parser; the window's subsystems get plain settings from it and never
// look at the arguments themselves. GUI (main) thread only.
class commandLine
{
  public:
    commandLine();

    // True when the arguments ask for a conversion, a fixture listing, the help or the
    // version, which need no window (and so no display). It looks before any application
    // object exists, because choosing that object is what it decides.
    static bool wantsNoDisplay(int argc, char **argv);

    // Parses the application's arguments (Qt's own options already taken out); false for an
    // unknown option or a missing value, with errorText().
    bool parse(const QStringList &arguments);
    QString errorText() const { return m_parser.errorText(); }
    QCommandLineParser &parser() { return m_parser; }

    // --osc-port and --osc-address; false with the reason for a value not valid.
    bool remote(remoteOptions &out, QString &error) const;
    // --timecode and --timecode-offset; false with the reason for a value not valid.
    bool sync(syncOptions &out, QString &error) const;
    // The shows to open in the window, in the order given.
    QStringList files() const { return m_parser.positionalArguments(); }
    // --audio: the song to set the opened show to; empty without one.
    QString audio() const;
    // The options the window does not take, as they were written; they are left alone.
    QStringList ignored() const;

  private:
    using check = std::function<QString(const QString &name, const QString &value)>;

    QCommandLineParser m_parser;
    QStringList m_arguments;

    void describe();
    bool eachValue(const QStringList &names, const check &take, QString &error) const;
};

#endif
