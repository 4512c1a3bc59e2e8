#include "app/file_chooser.h"

#include <QCoreApplication>
#include <QFileDialog>

namespace lurendo {

void prepara_dialogo_apertura(QFileDialog& dialog) {
    dialog.setWindowTitle("Apri Tracciato Gpx");
    dialog.setNameFilter("Lista (*.gpx)");
    dialog.setDirectory(QCoreApplication::applicationDirPath());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
}

QString scegli_tracciato(QWidget* parent) {
    QFileDialog dialog(parent);
    prepara_dialogo_apertura(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

}  // namespace lurendo
