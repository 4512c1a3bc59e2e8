#include "window_test_support.h"

#include <QLabel>
#include <QSignalSpy>
#include <cstdio>
#include <filesystem>

#include "test_support.h"

namespace lurendo::test {

QString label_text(Form1& form, const char* name) {
    QLabel* label = control<QLabel>(form, name);
    return label ? label->text() : QString("<no %1>").arg(name);
}

bool wait_for_run(Form1& form, int timeout_ms) {
    QSignalSpy done(&form, &Form1::run_concluso);
    return !form.run_in_corso() || done.wait(timeout_ms);
}

void prepare(Form1& form, const QString& choice, const std::string& output_dir) {
    form.scegli_file = [choice](QWidget*) { return choice; };
    if (!output_dir.empty())
        form.cartella_uscita = QString::fromStdString(output_dir);
}

std::string long_track(int points) {
    std::string body;
    body.reserve(static_cast<size_t>(points) * 150);
    char lat[32];
    char lon[32];
    char time[16];
    for (int i = 0; i < points; ++i) {
        // About 1.4 m a second: a steady walk, far below the jump threshold.
        std::snprintf(lat, sizeof lat, "45.%09d", 100000000 + 10 * i);
        std::snprintf(lon, sizeof lon, "10.%09d", 100000000 + 10 * i);
        const int s = i % 86400;
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
        body += canonical_point(lat, lon, time);
    }
    return canonical_document(body);
}

int64_t long_track_lines(int points) {
    return 4 * static_cast<int64_t>(points) + 7;
}

std::vector<std::string> leftover_temporaries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(".out.gpx.", 0) == 0 && name.size() > 4 && name.substr(name.size() - 4) == ".tmp")
            names.push_back(name);
    }
    return names;
}

}  // namespace lurendo::test
