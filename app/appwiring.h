#ifndef APPWIRING_H
#define APPWIRING_H

class QLocale;
class QQmlEngine;

// Draws with Qt Quick's software renderer when OpenGL itself is only a software
// rasterizer (no GPU, remote or virtual displays): it repaints just what changed, where
// emulated OpenGL redraws the whole window and holds up the playback tick. Call after the
// application object exists and before the first window.
void chooseSceneGraphBackend();

// Redraws the window on the next pass of the event loop after a change, not 5 ms later as
// Qt does by default to gather more changes: fader moves, edits and the row that follows
// playback show that much sooner, and changes made in one pass still share a frame. A
// QT_QPA_UPDATE_IDLE_TIME set in the environment wins. Call before the first window exists.
void redrawAtOnce();

// Loads the interface's translation for the locale's languages, if there is one; without it
// the texts stay as written (Chinese). Call after the application object exists and before
// the documents load. True when a translation was installed.
bool installTranslation(const QLocale &locale);

// Registers the QML types the documents create themselves.
void registerQmlTypes();

// Creates the core object graph (once per process), starts its output thread and publishes
// it on the engine's root context, then adds the import path of the widget components. Used
// by main and by the QML tests so both see the same wiring.
void wireEngine(QQmlEngine *engine);

// Publishes the core object graph in g_dimList on the engine's root context, in place of
// the one published before (the QML tests build a new graph for every test).
void publishCore(QQmlEngine *engine);

#endif
