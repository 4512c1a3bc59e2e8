#include "app/demo_hook.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

#include "app/form1.h"

namespace lurendo {

void avvia_dimostrazione(Form1& form) {
    const QString input = qEnvironmentVariable("LURENDO_DEMO_INPUT");
    if (input.isEmpty())
        return;
    const QString snapshot = qEnvironmentVariable("LURENDO_DEMO_SNAPSHOT");
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
