// The file-open dialog of the "Ripara" button.
#pragma once

#include <QString>

class QFileDialog;
class QWidget;

namespace lurendo {

// Title, filter and starting folder; typed names of files that do not exist are accepted too.
void prepara_dialogo_apertura(QFileDialog& dialog);

// Shows the dialog modally; the chosen path, or empty text when the user cancels.
QString scegli_tracciato(QWidget* parent);

}  // namespace lurendo
