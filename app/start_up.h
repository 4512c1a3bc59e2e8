// What the program does when it starts, before the window waits for the user.
#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

namespace lurendo {

// Installs Qt's own Italian texts (the dialogs' "Apri", "Annulla"), whatever the system's language; false
// when they are not installed.
bool carica_traduzioni_italiane(QCoreApplication& app);

// The track named on the command line ("lurendo TRACCIA.gpx", as a file manager starts it), or empty text.
QString tracciato_da_argomenti(const QStringList& arguments);

}  // namespace lurendo
