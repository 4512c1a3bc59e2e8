#include "app/output_folder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QUuid>

namespace lurendo {

bool cartella_scrivibile(const QString& folder) {
    QFile probe(QDir(folder).filePath(".lurendo-prova-" + QUuid::createUuid().toString(QUuid::Id128)));
    if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    probe.close();
    return probe.remove();
}

QString scegli_cartella_uscita(const QString& program_folder, const QString& documents) {
    if (cartella_scrivibile(program_folder))
        return program_folder;
    if (documents.isEmpty())
        return {};
    const QString own = QDir(documents).filePath("Lurendo");
    if (!QDir().mkpath(own) || !cartella_scrivibile(own))
        return {};
    return own;
}

QString cartella_documenti() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

}  // namespace lurendo
