#include "app/file_chooser.h"

#include <QFileDialog>

namespace lurendo {

void prepara_dialogo_apertura(QFileDialog& dialog, const QString& start_folder) {
    dialog.setWindowTitle("Apri Tracciato Gpx");
    dialog.setNameFilter("Lista (*.gpx)");
    dialog.setDirectory(start_folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
}

QString scegli_tracciato(QWidget* parent, const QString& start_folder) {
    QFileDialog dialog(parent);
    prepara_dialogo_apertura(dialog, start_folder);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

}  // namespace lurendo
