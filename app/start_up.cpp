#include "app/start_up.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QUrl>

namespace lurendo {

bool carica_traduzioni_italiane(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load("qtbase_it", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

QString tracciato_da_argomenti(const QStringList& arguments) {
    // The first argument that is not an option of Qt's own; a file manager may hand a file:// address.
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument.startsWith('-'))
            continue;
        const QUrl url(argument);
        return url.isLocalFile() ? url.toLocalFile() : argument;
    }
    return {};
}

}  // namespace lurendo
