#ifndef APPWIRING_H
#define APPWIRING_H

class QQmlEngine;

// Registers the QML types the documents create themselves.
void registerQmlTypes();

// Creates the core object graph (once per process) and publishes it on the engine's root
// context, then adds the import path of the widget components. Used by main and by the
// QML tests so both see the same wiring.
void wireEngine(QQmlEngine *engine);

#endif
