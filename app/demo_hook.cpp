#include "app/demo_hook.h"

#include <QApplication>
#include <QPixmap>
#include <QStringList>
#include <QTimer>
#include <cstdio>

#include "app/form1.h"

namespace lurendo {

void avvia_dimostrazione(Form1& form) {
    const QString input = qEnvironmentVariable("LURENDO_DEMO_INPUT");
    if (input.isEmpty())
        return;
    const QString snapshot = qEnvironmentVariable("LURENDO_DEMO_SNAPSHOT");
    // For pictures of the track: the tab to show, the result whose run to mark, the window's size.
    const QString view = qEnvironmentVariable("LURENDO_DEMO_VISTA");
    const QString result = qEnvironmentVariable("LURENDO_DEMO_RISULTATO");
    const QStringList size = qEnvironmentVariable("LURENDO_DEMO_DIMENSIONE").split('x');
    if (size.size() == 2)
        form.resize(size[0].toInt(), size[1].toInt());
    QObject::connect(&form, &Form1::run_concluso, &form, [&form, view, result] {
        if (view == "traccia")
            form.scegli_vista(1);
        if (!result.isEmpty())
            form.scegli_risultato(result.toStdString());
    });
    if (!snapshot.isEmpty()) {
        QObject::connect(&form, &Form1::run_concluso, &form, [&form, snapshot] {
            // A moment for the window system to paint the final texts.
            QTimer::singleShot(300, &form, [&form, snapshot] {
                if (!form.grab().save(snapshot, "png"))
                    std::fprintf(stderr, "impossibile salvare %s\n", qPrintable(snapshot));
                QApplication::quit();
            });
        });
    }
    QTimer::singleShot(0, &form, [&form, input] { form.ripara(input); });
}

}  // namespace lurendo
