// The window as installed software: where out.gpx goes, where the dialog starts, a track from the command
// line and Qt's own texts in Italian.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>

#include "app/form1.h"
#include "app/output_folder.h"
#include "app/start_up.h"
#include "test_support.h"
#include "window_test_support.h"

namespace lurendo {
namespace {

QString q(const std::string& path) {
    return QString::fromStdString(path);
}

// A folder that cannot be written whoever runs the test: its parent is a plain file.
QString unwritable_folder(const test::TempDir& dir) {
    test::write_file(dir.file("a-file"), "x");
    return q(dir.file("a-file/bin"));
}

TEST(OutputFolder, TheProgramsFolderWhenOutGpxCanBeMadeThereLeavingNothingBehind) {
    test::TempDir dir;
    EXPECT_TRUE(cartella_scrivibile(q(dir.path().string())));
    EXPECT_EQ(scegli_cartella_uscita(q(dir.path().string()), q(dir.file("docs"))), q(dir.path().string()));
    EXPECT_EQ(test::names_in(dir.path()), std::set<std::string>{}) << "the probe file is removed";
    EXPECT_FALSE(QFileInfo::exists(q(dir.file("docs")))) << "no documents folder made when not needed";
}

TEST(OutputFolder, OtherwiseLurendoInTheDocumentsCreatedWhenMissing) {
    test::TempDir dir;
    const QString program = unwritable_folder(dir);
    EXPECT_FALSE(cartella_scrivibile(program));
    const QString documents = q(dir.file("Documenti"));
    EXPECT_EQ(scegli_cartella_uscita(program, documents), documents + "/Lurendo");
    EXPECT_TRUE(QFileInfo(documents + "/Lurendo").isDir());
    EXPECT_EQ(scegli_cartella_uscita(program, q(dir.file("a-file/Documenti"))), QString())
        << "nowhere to write";
}

TEST(DialogFolder, StartsWhereTheLastTrackWasChosen) {
    test::TempDir dir;
    Form1 form;
    form.cartella_uscita = q(dir.path().string());
    const QString before = form.cartella_dialogo();
    EXPECT_TRUE(before == QCoreApplication::applicationDirPath() || before == cartella_documenti())
        << before.toStdString();

    QDir().mkpath(q(dir.file("uscite")));
    test::write_file(dir.file("uscite/giro.gpx"), test::read_file(test::data_file("worked.gpx")));
    test::prepare(form, q(dir.file("uscite/giro.gpx")), dir.path().string());
    form.cmd_ripara_Click();
    ASSERT_TRUE(test::wait_for_run(form));
    EXPECT_EQ(form.cartella_dialogo(), q(dir.file("uscite")));
}

TEST(CommandLine, TheFirstArgumentThatIsNoOptionIsTheTrack) {
    EXPECT_EQ(tracciato_da_argomenti({"lurendo"}), QString());
    EXPECT_EQ(tracciato_da_argomenti({"lurendo", "/tmp/giro.gpx"}), "/tmp/giro.gpx");
    EXPECT_EQ(tracciato_da_argomenti({"lurendo", "file:///tmp/a%20b.gpx"}), "/tmp/a b.gpx");
    EXPECT_EQ(tracciato_da_argomenti({"lurendo", "--reverse", "giro.gpx"}), "giro.gpx");
}

TEST(Translations, QtsOwnTextsAreItalian) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!QFileInfo::exists(folder + "/qtbase_it.qm"))
        GTEST_SKIP() << "Qt's Italian translations are not installed";
    ASSERT_TRUE(carica_traduzioni_italiane(*QCoreApplication::instance()));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Open"), "Apri");
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Annulla");
}

}  // namespace
}  // namespace lurendo
