// The file-open dialog of the "Ripara" button, as it is set up before it is shown.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>

#include "app/file_chooser.h"

namespace lurendo {
namespace {

TEST(FileChooser, AsksForAGpxListFromTheToolsFolderAndTakesTypedNames) {
    QFileDialog dialog;
    prepara_dialogo_apertura(dialog, QCoreApplication::applicationDirPath());
    EXPECT_EQ(dialog.windowTitle(), "Apri Tracciato Gpx");
    EXPECT_EQ(dialog.nameFilters(), QStringList({"Lista (*.gpx)"}));
    EXPECT_EQ(dialog.directory().absolutePath(), QDir(QCoreApplication::applicationDirPath()).absolutePath());
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog.fileMode(), QFileDialog::AnyFile);
}

}  // namespace
}  // namespace lurendo
