// The file-open dialog of the "Ripara" button.
#pragma once

#include <QString>

class QFileDialog;
class QWidget;

namespace lurendo {

// Title, filter and the folder it starts in; typed names of files that do not exist are accepted too.
void prepara_dialogo_apertura(QFileDialog& dialog, const QString& start_folder);

// Shows the dialog modally, starting in `start_folder`; the chosen path, or empty text when the user cancels.
QString scegli_tracciato(QWidget* parent, const QString& start_folder);

}  // namespace lurendo
