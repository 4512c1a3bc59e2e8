// The window tests' main: an offscreen QApplication with a private runtime folder, then every test.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <filesystem>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");  // the same pixels on every machine, with or without a display
    // Qt wants its runtime folder private (mode 0700); one of our own keeps parallel tests apart.
    char runtime[] = "/tmp/lurendo-app-tests-XXXXXX";
    if (::mkdtemp(runtime))
        qputenv("XDG_RUNTIME_DIR", runtime);

    QApplication app(argc, argv);
    QApplication::setApplicationName("Lurendo");
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();

    std::error_code ignored;
    std::filesystem::remove_all(runtime, ignored);
    return result;
}
