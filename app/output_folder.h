// Where the window writes out.gpx: beside the program when it can (a build tree, a portable copy), otherwise
// in the folder "Lurendo" of the user's documents.
#pragma once

#include <QString>

namespace lurendo {

// True when a new file can be created in `folder` and removed again: found by trying, since permission
// bits say nothing of root, access lists or read-only mounts.
bool cartella_scrivibile(const QString& folder);

// The program's folder when out.gpx can be created there, otherwise "Lurendo" inside `documents`,
// created when missing. Empty text when neither can be written.
QString scegli_cartella_uscita(const QString& program_folder, const QString& documents);

// The user's documents folder, as the desktop settings name it.
QString cartella_documenti();

}  // namespace lurendo
