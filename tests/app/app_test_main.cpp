// The window tests' main: an offscreen QApplication with a private runtime folder, then every test.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <filesystem>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");  // the same pixels on every machine, with or without a display
    // Qt wants its runtime folder private (mode 0700); one of our own keeps parallel tests apart.
    char runtime[] = "/tmp/lurendo-app-tests-XXXXXX";
    if (::mkdtemp(runtime))
        qputenv("XDG_RUNTIME_DIR", runtime);

    QApplication app(argc, argv);
    QApplication::setApplicationName("Lurendo");
    QStandardPaths::setTestModeEnabled(true);  // settings the tests make never reach the user's own
    ::testing::InitGoogleTest(&argc, argv);
    QSettings().clear();
    const int result = RUN_ALL_TESTS();
    QSettings().clear();

    std::error_code ignored;
    std::filesystem::remove_all(runtime, ignored);
    return result;
}
