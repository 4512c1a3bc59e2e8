// Helpers for the window tests: finding controls, waiting for a run, big generated tracks.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "app/form1.h"

namespace lurendo::test {

template <typename Widget>
Widget* control(Form1& form, const char* name) {
    return form.findChild<Widget*>(QString::fromLatin1(name));
}

QString label_text(Form1& form, const char* name);

// Waits until the run in progress, if any, has been reported to the window.
bool wait_for_run(Form1& form, int timeout_ms = 60000);

// A window whose chooser hands back `choice`, writing out.gpx into `output_dir` (unless that is empty).
void prepare(Form1& form, const QString& choice, const std::string& output_dir);

// A canonical track of `points` points that never jump, and its number of lines.
std::string long_track(int points);
int64_t long_track_lines(int points);

// Names of the files in `dir` that look like an unfinished output (".out.gpx.*.tmp").
std::vector<std::string> leftover_temporaries(const std::string& dir);

}  // namespace lurendo::test
